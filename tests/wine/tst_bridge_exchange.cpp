// The bridge under a real Wine against the DDEML stand-in: what a reply may
// hold, how every failure reaches the client, and a bridge that dies.

#include "platform/bridge_data_exchange.h"
#include "platform/wine_bridge.h"
#include "wine_test_support.h"

#include <QSignalSpy>
#include <QtTest>

using Failure = DataExchangeClient::Failure;

namespace {

struct Outcome {
    bool replied = false;
    QString text;
    Failure failure = Failure::Invalid;
    qint64 ms = 0;
};

// One conversation for one item, as the monitor holds it.
Outcome ask(DataExchangeClient& client, const QString& item, int waitMs = 30000)
{
    QSignalSpy connected(&client, &DataExchangeClient::connected);
    QSignalSpy replied(&client, &DataExchangeClient::replied);
    QSignalSpy failed(&client, &DataExchangeClient::failed);
    QElapsedTimer clock;
    clock.start();
    client.connectToService(QStringLiteral("GetRight"), QStringLiteral("DownloadInfo"));
    Outcome outcome;
    if (!QTest::qWaitFor([&] { return !connected.isEmpty() || !failed.isEmpty(); }, waitMs) ||
        !failed.isEmpty()) {
        outcome.failure = failed.isEmpty() ? Failure::Invalid : failed[0][0].value<Failure>();
        return outcome;
    }
    client.requestItem(item);
    (void)QTest::qWaitFor([&] { return !replied.isEmpty() || !failed.isEmpty(); }, waitMs);
    outcome.ms = clock.elapsed();
    client.disconnectFromService();
    if (!replied.isEmpty()) {
        outcome.replied = true;
        outcome.text = replied[0][0].toString();
    } else if (!failed.isEmpty()) {
        outcome.failure = failed[0][0].value<Failure>();
    }
    return outcome;
}

} // namespace

class TestBridgeExchange : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QVERIFY(standIn_.reset()); }
    void replies_data();
    void replies();
    void largeTextThroughTheFraming();
    void failures();
    void serverNeverAnswers();
    void serverKilledDuringARequest();
    void bridgeKilledIsStartedAgain();

private:
    DdeStandIn standIn_;
};

void TestBridgeExchange::initTestCase()
{
    QVERIFY2(!testPrefix().isEmpty(), "run under tests/wine/with-wine");
    QVERIFY(standIn_.start());
}

void TestBridgeExchange::replies_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<bool>("replied");
    QTest::addColumn<QString>("text");

    QTest::newRow("a download") << QByteArray("file.zip|2048|12% done|http://x/file.zip") << true
                                << QStringLiteral("file.zip|2048|12% done|http://x/file.zip");
    QTest::newRow("empty, after the last") << QByteArray() << true << QString();
    QTest::newRow("CR and LF inside")
        << QByteArray("a\r\nb|1|\rc\n|d") << true << QStringLiteral("a\r\nb|1|\rc\n|d");
    QTest::newRow("cut at a NUL, as text")
        << QByteArray("a|1|b\0c|d", 9) << true << QStringLiteral("a|1|b");
    QTest::newRow("ANSI code page")
        << QByteArray("caf\xe9 \x80|5|\xfc|") << true << QStringLiteral(u"café €|5|ü|");
    QTest::newRow("percent and hash")
        << QByteArray("%41 #3|1|%|#") << true << QStringLiteral("%41 #3|1|%|#");
    QTest::newRow("exactly 1 MiB") << QByteArray(DataExchangeClient::MaxReplyBytes, 'x') << true
                                   << QString(DataExchangeClient::MaxReplyBytes, u'x');
    QTest::newRow("one byte over 1 MiB")
        << QByteArray(DataExchangeClient::MaxReplyBytes + 1, 'x') << false << QString();
    // Wine's DDE carries no more than about 2 MB; past that it declines.
    QTest::newRow("10 MB") << QByteArray(10'000'000, 'y') << false << QString();
}

void TestBridgeExchange::replies()
{
    QFETCH(QByteArray, served);
    QFETCH(bool, replied);
    QFETCH(QString, text);

    QVERIFY(standIn_.reply(7, served));
    QVERIFY(standIn_.reply(8, "next|1|fine|"));
    WineBridge bridge(bridgeLaunch());
    BridgeDataExchange client(bridge);
    const Outcome outcome = ask(client, QStringLiteral("7"));
    QCOMPARE(outcome.replied, replied);
    if (replied)
        QCOMPARE(outcome.text, text);
    else
        QVERIFY2(outcome.failure == Failure::TooLong || outcome.failure == Failure::Refused,
                 QMetaEnum::fromType<Failure>().valueToKey(int(outcome.failure)));
    // Whatever the reply held, the stream is intact for the next one.
    const Outcome next = ask(client, QStringLiteral("8"));
    QVERIFY(next.replied);
    QCOMPARE(next.text, QStringLiteral("next|1|fine|"));
}

void TestBridgeExchange::largeTextThroughTheFraming()
{
    // A client that takes more than the monitor does: 2 MB (as much as Wine's
    // DDE carries) of every ASCII byte but NUL come through whole.
    QByteArray served(2'000'000, '\0');
    for (qsizetype i = 0; i < served.size(); ++i)
        served[i] = char(1 + i % 127);
    QVERIFY(standIn_.reply(9, served));
    WineBridge bridge(bridgeLaunch(), qint64(64) << 20);
    QSignalSpy answered(&bridge, &WineBridge::answered);
    bridge::DdeRequest request{"GetRight", "DownloadInfo", "9", 30000, 16u << 20};
    const quint64 id = bridge.send(request);
    QVERIFY(id != 0);
    QVERIFY(QTest::qWaitFor([&] { return !answered.isEmpty(); }, 60000));
    const auto answer = answered[0][1].value<bridge::Answer>();
    QCOMPARE(answer.kind, bridge::Answer::Kind::Text);
    QCOMPARE(answer.text.size(), std::size_t(served.size()));
    QVERIFY(answer.text == std::string(served.constData(), std::size_t(served.size())));
}

void TestBridgeExchange::failures()
{
    WineBridge bridge(bridgeLaunch());
    BridgeDataExchange client(bridge);

    QVERIFY(standIn_.refuse(true));
    Outcome outcome = ask(client, QStringLiteral("1"));
    QVERIFY(!outcome.replied);
    QCOMPARE(outcome.failure, Failure::NoService);
    QVERIFY(standIn_.refuse(false));

    QVERIFY(standIn_.decline(true));
    outcome = ask(client, QStringLiteral("1"));
    QVERIFY(!outcome.replied);
    QCOMPARE(outcome.failure, Failure::Refused);
    QVERIFY(standIn_.decline(false));

    // Not for the bridge to carry: the client refuses it as the socket one does.
    QSignalSpy failed(&client, &DataExchangeClient::failed);
    client.requestItem(QStringLiteral("1"));
    QVERIFY(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 1000));
    QCOMPARE(failed[0][0].value<Failure>(), Failure::Invalid);

    // Another service's name: nobody serves it.
    QSignalSpy connected(&client, &DataExchangeClient::connected);
    QSignalSpy replied(&client, &DataExchangeClient::replied);
    failed.clear();
    client.connectToService(QStringLiteral("NoSuchService"), QStringLiteral("DownloadInfo"));
    QVERIFY(QTest::qWaitFor([&] { return !connected.isEmpty(); }, 30000));
    client.requestItem(QStringLiteral("1"));
    QVERIFY(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 30000));
    QCOMPARE(failed[0][0].value<Failure>(), Failure::NoService);
    QVERIFY(replied.isEmpty());
}

void TestBridgeExchange::serverNeverAnswers()
{
    WineBridge bridge(bridgeLaunch());
    BridgeDataExchange client(bridge);
    client.setTimeoutMs(1500);
    QVERIFY(ask(client, QStringLiteral("1")).replied); // the bridge runs
    QVERIFY(standIn_.slow(8000));
    const StallProbe probe;
    const Outcome outcome = ask(client, QStringLiteral("1"));
    QVERIFY(!outcome.replied);
    QCOMPARE(outcome.failure, Failure::TimedOut);
    // The bridge's own time-out ended it, not the grace period after it.
    QVERIFY2(outcome.ms < 1500 + BridgeDataExchange::GraceMs,
             qPrintable(QString::number(outcome.ms)));
    qInfo("A server that does not answer: the request failed after %lld ms; longest stall %lld ms",
          outcome.ms, probe.longestMs());
    QVERIFY(probe.longestMs() < 100);
    QVERIFY(standIn_.slow(0));
}

void TestBridgeExchange::serverKilledDuringARequest()
{
    DdeStandIn doomed;
    QVERIFY(standIn_.refuse(true)); // only the doomed one answers
    QVERIFY(doomed.start());
    doomed.forgetAsked();
    QVERIFY(doomed.reply(1, "a|1|b|"));
    QVERIFY(doomed.slow(20000));
    WineBridge bridge(bridgeLaunch());
    BridgeDataExchange client(bridge);
    QSignalSpy replied(&client, &DataExchangeClient::replied);
    QSignalSpy failed(&client, &DataExchangeClient::failed);
    QSignalSpy connected(&client, &DataExchangeClient::connected);
    client.connectToService(QStringLiteral("GetRight"), QStringLiteral("DownloadInfo"));
    QVERIFY(QTest::qWaitFor([&] { return !connected.isEmpty(); }, 30000));
    client.requestItem(QStringLiteral("1"));
    QVERIFY(doomed.waitAsked(QStringLiteral("1"), 30000));
    doomed.kill();
    QVERIFY(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 30000));
    QVERIFY(replied.isEmpty());
    QVERIFY2(failed[0][0].value<Failure>() != Failure::Invalid,
             "a server gone in the middle is a failure of the exchange, not of the client");
    QVERIFY(standIn_.refuse(false));
    QVERIFY(standIn_.reply(1, "again|1|here|"));
    const Outcome after = ask(client, QStringLiteral("1"));
    QVERIFY(after.replied);
    QCOMPARE(after.text, QStringLiteral("again|1|here|"));
}

void TestBridgeExchange::bridgeKilledIsStartedAgain()
{
    QVERIFY(standIn_.reply(1, "a|1|b|"));
    WineBridge bridge(bridgeLaunch());
    bridge.setRests(300, 1000);
    BridgeDataExchange client(bridge);
    QVERIFY(ask(client, QStringLiteral("1")).replied);
    const qint64 first = bridge.processId();
    QVERIFY(first > 0);
    QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-9"), QString::number(first)});
    QVERIFY(QTest::qWaitFor([&] { return bridge.state() != WineBridge::State::Ready; }, 5000));
    // While it rests, a conversation fails at once, without a new start.
    const Outcome resting = ask(client, QStringLiteral("1"));
    QVERIFY(!resting.replied);
    QCOMPARE(resting.failure, Failure::NoService);
    QCOMPARE(bridge.processId(), 0);
    QTest::qWait(400);
    const Outcome again = ask(client, QStringLiteral("1"));
    QVERIFY(again.replied);
    QVERIFY(bridge.processId() != first);
}

QTEST_GUILESS_MAIN(TestBridgeExchange)
#include "tst_bridge_exchange.moc"
