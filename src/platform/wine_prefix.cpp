#include "platform/wine_prefix.h"

#include <QDir>
#include <QtGlobal>

QString winePrefix()
{
    const QString fromEnvironment = qEnvironmentVariable("WINEPREFIX");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::homePath() + QStringLiteral("/.wine");
}
