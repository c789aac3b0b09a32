#include "platform/gui/qt_desktop_opener.h"

#include <QDesktopServices>

bool QtDesktopOpener::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
