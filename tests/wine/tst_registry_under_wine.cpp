// GetRight's configured log as a real Wine keeps it: written with Wine's own
// `reg add`, read back through the bridge from the running registry at once,
// and from the prefix's user.reg once the wineserver has written it out. Then
// "D" loads the log at that Windows path inside the prefix.

#include "platform/bridge_registry_reader.h"
#include "platform/data_exchange_choice.h"
#include "platform/wine_bridge.h"
#include "platform/wine_path_resolver.h"
#include "platform/wine_prefix.h"
#include "platform/wine_registry_reader.h"
#include "window/window_test_support.h"
#include "wine_test_support.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

namespace {

const QString Key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Headlight\\GetRight\\Config");
const QString LogPath = QStringLiteral("C:\\Program Files\\GetRight\\getright.log");
const QString Default = QStringLiteral("(default)");

int regAdd(const QString& name, const QString& type, const QString& data)
{
    return runWine(QStringLiteral("wine"),
                   {QStringLiteral("reg"), QStringLiteral("add"), Key, QStringLiteral("/v"), name,
                    QStringLiteral("/t"), type, QStringLiteral("/d"), data, QStringLiteral("/f")});
}

QString read(const RegistryReader& reader, const QString& name)
{
    return reader.getRegString(RegistryReader::HKeyCurrentUser, ConfigKey, name, Default);
}

// Ends every Wine process of the prefix and waits until its registry is on disk.
void writeOut(std::unique_ptr<WineBridge>& bridge)
{
    bridge.reset();
    runWine(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    runWine(QStringLiteral("wineserver"), {QStringLiteral("-w")});
}

} // namespace

class TestRegistryUnderWine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void runningRegistryAndFiles();
    void openDefaultLoadsTheLogInThePrefix();
};

void TestRegistryUnderWine::initTestCase()
{
    QVERIFY2(!testPrefix().isEmpty(), "run under tests/wine/with-wine");
    QVERIFY(winePrefixReady(testPrefix()));
}

void TestRegistryUnderWine::runningRegistryAndFiles()
{
    const WineRegistryReader files(testPrefix());
    auto bridge = std::make_unique<WineBridge>(bridgeLaunch());
    // A wineserver holds the registry while Wine runs; the bridge keeps one up.
    QVERIFY(bridge->ensureStarted());
    QVERIFY(QTest::qWaitFor([&] { return bridge->state() == WineBridge::State::Ready; }, 60000));
    QVERIFY(wineServerRunning(testPrefix()));

    QCOMPARE(regAdd(QStringLiteral("LogFile"), QStringLiteral("REG_SZ"), LogPath), 0);
    QCOMPARE(regAdd(QStringLiteral("Expanded"), QStringLiteral("REG_EXPAND_SZ"),
                    QStringLiteral("%USERPROFILE%\\getright.log")),
             0);
    QCOMPARE(regAdd(QStringLiteral("Counter"), QStringLiteral("REG_DWORD"), QStringLiteral("7")),
             0);
    const BridgeRegistryReader running(*bridge, files);
    QCOMPARE(read(running, QStringLiteral("LogFile")), LogPath);
    QCOMPARE(read(running, QStringLiteral("Expanded")), Default);
    QCOMPARE(read(running, QStringLiteral("Counter")), Default);
    QCOMPARE(read(running, QStringLiteral("Missing")), Default);
    qInfo("Right after `reg add`, user.reg gives %s",
          read(files, QStringLiteral("LogFile")) == LogPath ? "the new value already"
                                                            : "the default (not yet written)");

    // Once the server has ended, the files hold what it held.
    writeOut(bridge);
    QVERIFY(!wineServerRunning(testPrefix()));
    QCOMPARE(read(files, QStringLiteral("LogFile")), LogPath);
    QCOMPARE(read(files, QStringLiteral("Expanded")), Default);
    QCOMPARE(read(files, QStringLiteral("Counter")), Default);

    // The rule reads the files when no server runs, the bridge when one does.
    const WineSide idle = findWineSide(QProcessEnvironment::systemEnvironment(),
                                       QStringLiteral(TAVRIN_BIN_DIR), testPrefix());
    QVERIFY(!idle.serverRunning);
    QCOMPARE(chooseExchangeBackend(QString(), idle), ExchangeBackend::WineBridge);
    QVERIFY(!registryThroughBridge(ExchangeBackend::WineBridge, idle));
}

void TestRegistryUnderWine::openDefaultLoadsTheLogInThePrefix()
{
    const QString target =
        testPrefix() + QStringLiteral("/drive_c/Program Files/GetRight/getright.log");
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    QVERIFY(QFile::copy(QStringLiteral(TAVRIN_EXAMPLES "/demo-getright.log"), target));
    QCOMPARE(regAdd(QStringLiteral("LogFile"), QStringLiteral("REG_SZ"), LogPath), 0);

    WineBridge bridge(bridgeLaunch());
    const WineRegistryReader files(testPrefix());
    const BridgeRegistryReader running(bridge, files);
    const WinePathResolver resolver(testPrefix());
    TestWindow w(Skin::Tavrin, running, resolver);
    QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), LogPath);
    QVERIFY(w.control<HotCommand>("cmdOpenDefault")->isEnabled());
    Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
    QVERIFY(QTest::qWaitFor(
        [&] { return w.session().logEntries && w.session().logEntries->count() > 0; }, 30000));
    QCOMPARE(w.session().loadedLogPath, LogPath);
    QVERIFY(w.control<QTreeView>("tvwFiles")->model()->rowCount() > 0);
}

QTEST_MAIN(TestRegistryUnderWine)
#include "tst_registry_under_wine.moc"
