#pragma once

#include <QIcon>

// The program icon (16 x 16 and 32 x 32), drawn in code: the window icon and,
// later, the notification-area icon.
QIcon appIcon();
