// Tavrin's side of the Wine bridge against bridges that misbehave (a script
// stands in for `wine tavrin-wine-bridge.exe`): every failure ends the request
// as a failure of the exchange, the event loop keeps running, a broken bridge
// is not started again in a tight loop, and a large reply is taken whole.

#include "platform/bridge_data_exchange.h"
#include "platform/bridge_registry_reader.h"
#include "platform/wine_bridge.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Failure = DataExchangeClient::Failure;

namespace {

WineBridge::Launch fake(const QString& behaviour)
{
    return {QStringLiteral(TAVRIN_TEST_DATA "/fake-wine"), behaviour, QDir::tempPath(), false};
}

struct Outcome {
    bool replied = false;
    QString text;
    std::optional<Failure> failure;
    qint64 ms = 0;
    qint64 longestStall = 0;
};

Outcome ask(DataExchangeClient& client, int waitMs = 20000)
{
    QSignalSpy connected(&client, &DataExchangeClient::connected);
    QSignalSpy replied(&client, &DataExchangeClient::replied);
    QSignalSpy failed(&client, &DataExchangeClient::failed);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    Outcome outcome;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        outcome.longestStall = qMax(outcome.longestStall, clock.elapsed() - last);
        last = clock.elapsed();
    });
    probe.start(10);
    client.connectToService(QStringLiteral("GetRight"), QStringLiteral("DownloadInfo"));
    if (QTest::qWaitFor([&] { return !connected.isEmpty() || !failed.isEmpty(); }, waitMs) &&
        failed.isEmpty()) {
        client.requestItem(QStringLiteral("1"));
        (void)QTest::qWaitFor([&] { return !replied.isEmpty() || !failed.isEmpty(); }, waitMs);
    }
    outcome.ms = clock.elapsed();
    client.disconnectFromService();
    if (!replied.isEmpty()) {
        outcome.replied = true;
        outcome.text = replied[0][0].toString();
    }
    if (!failed.isEmpty())
        outcome.failure = failed[0][0].value<Failure>();
    return outcome;
}

class FixedRegistry : public RegistryReader {
public:
    QString getRegString(std::uint32_t, const QString&, const QString&,
                         const QString&) const override
    {
        return QStringLiteral("from the files");
    }
};

} // namespace

class TestHostileBridge : public QObject {
    Q_OBJECT

private slots:
    void failures_data();
    void failures();
    void answerNobodyAskedForEndsTheBridge();
    void hungBridgeIsEnded();
    void brokenWineIsNotRestartedInALoop();
    void noPrefixNoWine();
    void tenMegabytesTakenWhole();
    void registryFallsBackToTheFiles_data();
    void registryFallsBackToTheFiles();
};

void TestHostileBridge::failures_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<int>("failure"); // -1: a reply

    QTest::newRow("a bridge that works") << "well" << -1;
    QTest::newRow("garbage") << "garbage" << int(Failure::NoService);
    QTest::newRow("ends at once") << "dies" << int(Failure::NoService);
    QTest::newRow("another protocol version") << "version" << int(Failure::NoService);
    QTest::newRow("a billion bytes") << "billion" << int(Failure::TooLong);
    QTest::newRow("never says READY") << "silent" << int(Failure::TimedOut);
    QTest::newRow("Wine not installed") << "missing wine" << int(Failure::NoService);
}

void TestHostileBridge::failures()
{
    QFETCH(QString, behaviour);
    QFETCH(int, failure);

    WineBridge::Launch launch = fake(behaviour);
    if (behaviour == QLatin1String("missing wine"))
        launch.wineProgram = QStringLiteral("/nonexistent/wine");
    WineBridge bridge(launch);
    BridgeDataExchange client(bridge);
    client.setTimeoutMs(300);
    const Outcome outcome = ask(client);
    if (failure < 0) {
        QVERIFY(outcome.replied);
        QCOMPARE(outcome.text, QStringLiteral("file|1|ok"));
    } else {
        QVERIFY(!outcome.replied);
        QVERIFY(outcome.failure);
        QCOMPARE(int(*outcome.failure), failure);
    }
    // Never longer than the time-out and its grace, and the window's loop ran.
    QVERIFY2(outcome.ms < 300 + BridgeDataExchange::GraceMs + 1000,
             qPrintable(QString::number(outcome.ms)));
    QVERIFY2(outcome.longestStall < 250, qPrintable(QString::number(outcome.longestStall)));
}

void TestHostileBridge::answerNobodyAskedForEndsTheBridge()
{
    WineBridge bridge(fake(QStringLiteral("twice")));
    BridgeDataExchange client(bridge);
    const Outcome outcome = ask(client);
    QVERIFY(outcome.replied);
    QCOMPARE(outcome.text, QStringLiteral("x"));
    QVERIFY(QTest::qWaitFor([&] { return bridge.state() == WineBridge::State::Resting; }, 5000));
    QCOMPARE(ask(client).failure, std::optional<Failure>(Failure::NoService));
}

void TestHostileBridge::hungBridgeIsEnded()
{
    WineBridge bridge(fake(QStringLiteral("hangs")));
    bridge.setRests(200, 400);
    BridgeDataExchange client(bridge);
    client.setTimeoutMs(200);
    QVERIFY(QTest::qWaitFor([&] {
        bridge.ensureStarted();
        return bridge.state() == WineBridge::State::Ready;
    }));
    const qint64 first = bridge.processId();
    const Outcome outcome = ask(client);
    QCOMPARE(outcome.failure, std::optional<Failure>(Failure::TimedOut));
    // A coarse timer may fire up to 5 % early.
    QVERIFY(outcome.ms >= (200 + BridgeDataExchange::GraceMs) * 9 / 10);
    QCOMPARE(bridge.state(), WineBridge::State::Resting);
    QTest::qWait(250);
    QVERIFY(bridge.ensureStarted());
    QVERIFY(bridge.processId() != first);
}

void TestHostileBridge::brokenWineIsNotRestartedInALoop()
{
    QTemporaryDir dir;
    const QString starts = dir.filePath(QStringLiteral("starts"));
    qputenv("FAKE_WINE_STARTS", starts.toLocal8Bit());
    {
        WineBridge bridge(fake(QStringLiteral("dies")));
        BridgeDataExchange client(bridge);
        // Polls as fast as they come, for 3.5 seconds.
        QElapsedTimer clock;
        clock.start();
        int polls = 0;
        while (clock.elapsed() < 3500) {
            const Outcome outcome = ask(client);
            QVERIFY(!outcome.replied);
            ++polls;
            QTest::qWait(20);
        }
        QVERIFY(polls > 20);
    }
    qunsetenv("FAKE_WINE_STARTS");
    QFile file(starts);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const int count = int(file.readAll().count('\n'));
    // Started at 0, then after rests of 1 s and 2 s: three starts at most.
    QVERIFY2(count >= 2 && count <= 3, qPrintable(QString::number(count)));
}

// A prefix that Wine has not set up is not made by starting Wine in it.
void TestHostileBridge::noPrefixNoWine()
{
    QTemporaryDir dir;
    const QString starts = dir.filePath(QStringLiteral("starts"));
    qputenv("FAKE_WINE_STARTS", starts.toLocal8Bit());
    WineBridge::Launch launch = fake(QStringLiteral("well"));
    launch.prefix = dir.filePath(QStringLiteral("no-prefix"));
    launch.prefixMustBeReady = true;
    {
        WineBridge bridge(launch);
        BridgeDataExchange client(bridge);
        const Outcome outcome = ask(client);
        QCOMPARE(outcome.failure, std::optional<Failure>(Failure::NoService));
        QVERIFY(outcome.ms < 1000);
    }
    qunsetenv("FAKE_WINE_STARTS");
    QVERIFY(!QFile::exists(starts));
    QVERIFY(!QFileInfo::exists(launch.prefix));
}

void TestHostileBridge::tenMegabytesTakenWhole()
{
    WineBridge big(fake(QStringLiteral("tenmb")), qint64(16) << 20);
    QSignalSpy answered(&big, &WineBridge::answered);
    const quint64 id =
        big.send(bridge::DdeRequest{"GetRight", "DownloadInfo", "1", 5000, 16u << 20});
    QVERIFY(QTest::qWaitFor([&] { return !answered.isEmpty(); }, 20000));
    QCOMPARE(answered[0][0].toULongLong(), id);
    const auto answer = answered[0][1].value<bridge::Answer>();
    QCOMPARE(answer.kind, bridge::Answer::Kind::Text);
    QCOMPARE(answer.text.size(), std::size_t(10'000'000));
    QVERIFY(answer.text.compare(answer.text.size() - 6, 6, std::string("a\r\n\0\nb", 6)) == 0);

    // The same bridge behind the monitor's client is refused, and quickly.
    WineBridge capped(fake(QStringLiteral("tenmb")));
    BridgeDataExchange client(capped);
    const Outcome outcome = ask(client);
    QCOMPARE(outcome.failure, std::optional<Failure>(Failure::TooLong));
}

void TestHostileBridge::registryFallsBackToTheFiles_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<QString>("expected");

    QTest::newRow("answers") << "well"
                             << "file|1|ok";
    QTest::newRow("garbage") << "garbage"
                             << "from the files";
    QTest::newRow("ends at once") << "dies"
                                  << "from the files";
    QTest::newRow("never says READY") << "silent"
                                      << "from the files";
    QTest::newRow("hangs") << "hangs"
                           << "from the files";
}

void TestHostileBridge::registryFallsBackToTheFiles()
{
    QFETCH(QString, behaviour);
    QFETCH(QString, expected);

    WineBridge bridge(fake(behaviour));
    const FixedRegistry files;
    const BridgeRegistryReader reader(bridge, files, 500);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, QStringLiteral("Software"),
                                 QStringLiteral("LogFile"), QString()),
             expected);
    QVERIFY(clock.elapsed() < 1500);
}

QTEST_GUILESS_MAIN(TestHostileBridge)
#include "tst_hostile_bridge.moc"
