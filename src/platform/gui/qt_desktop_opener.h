#pragma once

#include "platform/desktop_opener.h"

// The desktop's own opener (xdg-open on Linux desktops).
class QtDesktopOpener : public DesktopOpener {
public:
    bool openUrl(const QUrl& url) override;
};
