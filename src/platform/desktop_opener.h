#pragma once

#include <QUrl>

// Hands a URL (or a file as a file:// URL) to the program the desktop
// associates with it. One argument, never a command line: nothing passes
// through a shell.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // False when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
};
