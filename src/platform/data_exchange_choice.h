#pragma once

#include <QProcessEnvironment>
#include <QString>

// Which data-exchange backend the programs talk to GetRight through.
//
// The rule: TAVRIN_DATA_EXCHANGE=socket or =bridge forces one. Otherwise the
// Wine bridge when all three are there: a `wine` program (TAVRIN_WINE, else
// "wine" on the PATH), the bridge program (TAVRIN_WINE_BRIDGE, else
// tavrin-wine-bridge.exe beside the program or in ../lib/tavrin/), and a Wine
// prefix that Wine has set up; the local socket (getright-sim) otherwise.
//
// The registry is read through the bridge only while a wineserver runs for
// the prefix: then the prefix's files may lag behind it. With no server
// running the files are current, and reading them costs no start of Wine.
enum class ExchangeBackend { LocalSocket, WineBridge };

struct WineSide {
    QString wineProgram; // empty: not found
    QString bridgePath;  // empty: not found
    QString prefix;
    bool prefixReady = false;
    bool serverRunning = false;
};

// What this machine has, for the program in `programDir`.
WineSide findWineSide(const QProcessEnvironment& environment, const QString& programDir,
                      const QString& prefix);

// `forced` is TAVRIN_DATA_EXCHANGE's value.
ExchangeBackend chooseExchangeBackend(const QString& forced, const WineSide& wine);
bool registryThroughBridge(ExchangeBackend backend, const WineSide& wine);
