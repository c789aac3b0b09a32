#include "platform/windows/win32_desktop_opener.h"

#include "platform/win32/shell_open.h"

#include <QDir>

bool Win32DesktopOpener::openUrl(const QUrl& url)
{
    // A file goes to the shell as its native path, a link as the text it was stored as.
    const QString target = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile())
                                             : url.toString(QUrl::FullyEncoded);
    return shellOpen(target.toStdWString());
}
