#pragma once

#include <QString>

// The Wine prefix GetRight runs in, chosen as Wine chooses it: $WINEPREFIX when
// set and not empty, else ~/.wine. The value is taken as it stands.
QString winePrefix();
