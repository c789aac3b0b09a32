#include "platform/data_exchange_choice.h"

#include "platform/wine_prefix.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString BridgeName = QStringLiteral("tavrin-wine-bridge.exe");

QString findBridge(const QProcessEnvironment& environment, const QString& programDir)
{
    const QString given = environment.value(QStringLiteral("TAVRIN_WINE_BRIDGE"));
    if (!given.isEmpty())
        return QFileInfo(given).isFile() ? QFileInfo(given).absoluteFilePath() : QString();
    const QDir dir(programDir);
    for (const QString& candidate :
         {dir.filePath(BridgeName), dir.filePath(QStringLiteral("../lib/tavrin/") + BridgeName)}) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

QString findWine(const QProcessEnvironment& environment)
{
    const QString given = environment.value(QStringLiteral("TAVRIN_WINE"));
    if (!given.isEmpty())
        return given.contains(u'/') ? (QFileInfo(given).isExecutable() ? given : QString())
                                    : QStandardPaths::findExecutable(given);
    const QStringList path =
        environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    return QStandardPaths::findExecutable(QStringLiteral("wine"), path);
}

} // namespace

WineSide findWineSide(const QProcessEnvironment& environment, const QString& programDir,
                      const QString& prefix)
{
    WineSide wine;
    wine.wineProgram = findWine(environment);
    wine.bridgePath = findBridge(environment, programDir);
    wine.prefix = prefix;
    wine.prefixReady = winePrefixReady(prefix);
    wine.serverRunning = wine.prefixReady && wineServerRunning(prefix);
    return wine;
}

ExchangeBackend chooseExchangeBackend(const QString& forced, const WineSide& wine)
{
    if (forced == QLatin1String("socket"))
        return ExchangeBackend::LocalSocket;
    if (forced == QLatin1String("bridge"))
        return ExchangeBackend::WineBridge;
    const bool complete =
        !wine.wineProgram.isEmpty() && !wine.bridgePath.isEmpty() && wine.prefixReady;
    return complete ? ExchangeBackend::WineBridge : ExchangeBackend::LocalSocket;
}

bool registryThroughBridge(ExchangeBackend backend, const WineSide& wine)
{
    return backend == ExchangeBackend::WineBridge && wine.serverRunning &&
           !wine.wineProgram.isEmpty() && !wine.bridgePath.isEmpty();
}
