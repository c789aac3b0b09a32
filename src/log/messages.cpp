#include "log/messages.h"

namespace Messages {

QString problemText(LogLoadResult::Problem problem, const QString& systemError)
{
    using Problem = LogLoadResult::Problem;
    switch (problem) {
    case Problem::Missing:
        return QStringLiteral("no such file");
    case Problem::Folder:
        return QStringLiteral("it is a folder");
    case Problem::NotRegular:
        return QStringLiteral("it is not a regular file");
    case Problem::NoPermission:
        return QStringLiteral("no permission to read it");
    case Problem::ReadError:
        return systemError.isEmpty() ? QStringLiteral("reading it failed")
                                     : QStringLiteral("reading it failed: ") + systemError;
    case Problem::None:
        break;
    }
    return QString();
}

QString aboutLog(const QString& storedPath, const QString& localPath, const QString& what)
{
    QString text = storedPath;
    if (!localPath.isEmpty() && localPath != storedPath)
        text += QStringLiteral("\n(") + localPath + u')';
    if (!what.isEmpty())
        text += QStringLiteral("\n\n") + what.left(1).toUpper() + what.mid(1) + u'.';
    return text;
}

} // namespace Messages
