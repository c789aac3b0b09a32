#pragma once

#include <QString>

// The Wine prefix GetRight runs in, chosen as Wine chooses it: $WINEPREFIX when
// set and not empty, else ~/.wine. The value is taken as it stands.
QString winePrefix();

// Whether the prefix has been set up by Wine (its system registry exists), as
// opposed to a missing folder or one that only holds files like Wine's.
bool winePrefixReady(const QString& prefix);

// Whether a wineserver runs for the prefix now. Wine keeps one server per
// prefix, in a folder named after the prefix's device and inode numbers that
// holds a lock file the running server keeps locked.
bool wineServerRunning(const QString& prefix);
