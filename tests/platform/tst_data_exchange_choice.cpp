// Which backend talks to GetRight: the rule both ways, what is looked for on
// this machine, and when the registry is read through the bridge.

#include "platform/data_exchange_choice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

WineSide complete()
{
    WineSide wine;
    wine.wineProgram = QStringLiteral("/usr/bin/wine");
    wine.bridgePath = QStringLiteral("/usr/lib/tavrin/tavrin-wine-bridge.exe");
    wine.prefix = QStringLiteral("/home/u/.wine");
    wine.prefixReady = true;
    return wine;
}

void touch(const QString& path, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
}

} // namespace

class TestDataExchangeChoice : public QObject {
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void findsWhatIsThere();
    void registryThroughTheBridge();
};

void TestDataExchangeChoice::rule_data()
{
    QTest::addColumn<QString>("forced");
    QTest::addColumn<QString>("missing"); // which fact of a complete Wine side is taken away
    QTest::addColumn<bool>("bridge");

    QTest::newRow("all there") << ""
                               << "" << true;
    QTest::newRow("no wine") << ""
                             << "wine" << false;
    QTest::newRow("no bridge program") << ""
                                       << "bridge" << false;
    QTest::newRow("prefix not set up") << ""
                                       << "prefix" << false;
    QTest::newRow("forced socket, all there") << "socket"
                                              << "" << false;
    QTest::newRow("forced bridge, no wine") << "bridge"
                                            << "wine" << true;
    QTest::newRow("forced bridge, no prefix") << "bridge"
                                              << "prefix" << true;
    QTest::newRow("unknown value is no force") << "dde"
                                               << "" << true;
    QTest::newRow("unknown value, no wine") << "BRIDGE"
                                            << "wine" << false;
}

void TestDataExchangeChoice::rule()
{
    QFETCH(QString, forced);
    QFETCH(QString, missing);
    QFETCH(bool, bridge);

    WineSide wine = complete();
    if (missing == QLatin1String("wine"))
        wine.wineProgram.clear();
    else if (missing == QLatin1String("bridge"))
        wine.bridgePath.clear();
    else if (missing == QLatin1String("prefix"))
        wine.prefixReady = false;
    QCOMPARE(chooseExchangeBackend(forced, wine) == ExchangeBackend::WineBridge, bridge);
}

void TestDataExchangeChoice::findsWhatIsThere()
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString prefix = root.filePath(QStringLiteral("prefix"));
    touch(bin + QStringLiteral("/wine"), true);
    QDir().mkpath(prefix);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), bin);
    WineSide wine = findWineSide(environment, bin, prefix);
    QCOMPARE(wine.wineProgram, bin + QStringLiteral("/wine"));
    QVERIFY(wine.bridgePath.isEmpty());
    QVERIFY(!wine.prefixReady); // a folder alone is not a Wine prefix
    QCOMPARE(chooseExchangeBackend(QString(), wine), ExchangeBackend::LocalSocket);

    // Installed: the bridge in lib/tavrin beside bin, the prefix set up.
    touch(root.filePath(QStringLiteral("usr/lib/tavrin/tavrin-wine-bridge.exe")));
    touch(prefix + QStringLiteral("/system.reg"));
    wine = findWineSide(environment, bin, prefix);
    QCOMPARE(QFileInfo(wine.bridgePath).canonicalFilePath(),
             QFileInfo(root.filePath(QStringLiteral("usr/lib/tavrin/tavrin-wine-bridge.exe")))
                 .canonicalFilePath());
    QVERIFY(wine.prefixReady);
    QVERIFY(!wine.serverRunning);
    QCOMPARE(chooseExchangeBackend(QString(), wine), ExchangeBackend::WineBridge);

    // In the build tree: beside the program, which comes first.
    touch(bin + QStringLiteral("/tavrin-wine-bridge.exe"));
    wine = findWineSide(environment, bin, prefix);
    QCOMPARE(QFileInfo(wine.bridgePath).fileName(), QStringLiteral("tavrin-wine-bridge.exe"));
    QCOMPARE(QFileInfo(wine.bridgePath).absolutePath(), QFileInfo(bin).canonicalFilePath());

    // Named in the environment; a name that is not there finds nothing.
    environment.insert(QStringLiteral("TAVRIN_WINE_BRIDGE"),
                       root.filePath(QStringLiteral("nope.exe")));
    environment.insert(QStringLiteral("TAVRIN_WINE"), root.filePath(QStringLiteral("nope")));
    wine = findWineSide(environment, bin, prefix);
    QVERIFY(wine.bridgePath.isEmpty());
    QVERIFY(wine.wineProgram.isEmpty());

    // No wine on the PATH.
    QProcessEnvironment bare;
    bare.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("empty")));
    QVERIFY(findWineSide(bare, bin, prefix).wineProgram.isEmpty());
}

void TestDataExchangeChoice::registryThroughTheBridge()
{
    WineSide wine = complete();
    QVERIFY(!registryThroughBridge(ExchangeBackend::WineBridge,
                                   wine)); // no server: the files are current
    wine.serverRunning = true;
    QVERIFY(registryThroughBridge(ExchangeBackend::WineBridge, wine));
    QVERIFY(!registryThroughBridge(ExchangeBackend::LocalSocket, wine));
    wine.wineProgram.clear();
    QVERIFY(!registryThroughBridge(ExchangeBackend::WineBridge, wine));
}

QTEST_GUILESS_MAIN(TestDataExchangeChoice)
#include "tst_data_exchange_choice.moc"
