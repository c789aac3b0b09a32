#pragma once

#include "platform/desktop_opener.h"

// Opens through ShellExecuteW (platform/win32/shell_open.h), which takes only
// http, https and ftp URLs and existing local files.
class Win32DesktopOpener : public DesktopOpener {
public:
    bool openUrl(const QUrl& url) override;
};
