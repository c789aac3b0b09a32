// The download monitor against the DDEML stand-in under a real Wine, through
// the bridge: what Current Downloads shows for each thing GetRight can do,
// and that the window's event loop keeps running meanwhile.

#include "monitor/download_monitor.h"
#include "platform/bridge_data_exchange.h"
#include "platform/path_resolver.h"
#include "platform/wine_bridge.h"
#include "support/fakes.h"
#include "wine_test_support.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString NoDownloads = DownloadMonitor::noDownloadsText();

struct Poll {
    QString shown;
    qint64 ms = 0;
    qint64 longestStall = 0;
};

} // namespace

class TestMonitorUnderWine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QVERIFY(standIn_.reset()); }
    void lists_data();
    void lists();
    void serverNeverAnswers();
    void serverKilledInTheMiddleOfAPoll();
    void bridgeKilledIsStartedAgain();

private:
    // A monitor over a bridge of its own, switched on; polls run on demand.
    void makeMonitor(int requestTimeoutMs = DataExchangeClient::DefaultTimeoutMs);
    Poll poll(int waitMs = 60000);

    SamePath resolver_;
    DdeStandIn standIn_;
    std::unique_ptr<DownloadMonitor> monitor_;
    std::unique_ptr<WineBridge> bridge_;
};

void TestMonitorUnderWine::makeMonitor(int requestTimeoutMs)
{
    monitor_.reset();
    bridge_ = std::make_unique<WineBridge>(bridgeLaunch());
    bridge_->setRests(300, 600);
    monitor_ = std::make_unique<DownloadMonitor>(resolver_, new BridgeDataExchange(*bridge_));
    monitor_->setRequestTimeout(requestTimeoutMs);
    monitor_->setPollInterval(3'600'000); // the test runs the polls
    monitor_->setChecked(true);
}

Poll TestMonitorUnderWine::poll(int waitMs)
{
    QSignalSpy finished(monitor_.get(), &DownloadMonitor::pollFinished);
    const StallProbe probe;
    QElapsedTimer clock;
    clock.start();
    monitor_->timer1_Timer();
    Poll result;
    if (QTest::qWaitFor([&] { return !finished.isEmpty(); }, waitMs))
        result.shown = monitor_->shownText();
    result.ms = clock.elapsed();
    result.longestStall = probe.longestMs();
    return result;
}

void TestMonitorUnderWine::initTestCase()
{
    // Before anything of Wine runs: the first poll starts the bridge, and with
    // it the wineserver. The poll may end before Wine is up; the window waits
    // for none of it.
    QVERIFY2(!testPrefix().isEmpty(), "run under tests/wine/with-wine");
    runWine(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    runWine(QStringLiteral("wineserver"), {QStringLiteral("-w")});
    makeMonitor();
    qint64 longest = 0;
    QElapsedTimer clock;
    clock.start();
    Poll first;
    do {
        first = poll();
        longest = qMax(longest, first.longestStall);
    } while (bridge_->state() != WineBridge::State::Ready && clock.elapsed() < 60000);
    const Poll warm = poll();
    qInfo("Wine's first start: ready after %lld ms; longest event-loop stall %lld ms; a poll "
          "with Wine up: %lld ms, stall %lld ms",
          clock.elapsed(), longest, warm.ms, warm.longestStall);
    QCOMPARE(first.shown, NoDownloads); // no GetRight yet
    QCOMPARE(warm.shown, NoDownloads);
    QVERIFY2(longest < 100, qPrintable(QString::number(longest)));

    QVERIFY(standIn_.start());
}

void TestMonitorUnderWine::lists_data()
{
    QTest::addColumn<QList<QByteArray>>("replies"); // items 1, 2, ...; then the empty reply
    QTest::addColumn<QString>("shown");

    QTest::newRow("three downloads, in item order")
        << QList<QByteArray>{"setup.exe|1048576|50% of 2048 KB|http://a/setup.exe",
                             "photos.zip|2048|1%|ftp://b/photos.zip", "c.mp3|0|starting|"}
        << QStringLiteral("setup.exe: 50% of 2048 KB\r\nphotos.zip: 1%\r\nc.mp3: starting\r\n");
    QTest::newRow("GetRight idle") << QList<QByteArray>{} << NoDownloads;
    QTest::newRow("malformed second item")
        << QList<QByteArray>{"a|2048|first|", "b|2048|second", "c|1|third|"}
        << QStringLiteral("a: first\r\n");
    QTest::newRow("second field not a number")
        << QList<QByteArray>{"a|2048|first|", "b|lots|second|"} << QStringLiteral("a: first\r\n");
    QTest::newRow("further bars and ANSI text")
        << QList<QByteArray>{"caf\xe9|4096|d\xfc|e|f"} << QStringLiteral(u"café: dü\r\n");
}

void TestMonitorUnderWine::lists()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QString, shown);

    if (!monitor_)
        makeMonitor();
    QVERIFY(standIn_.replies(replies));
    QCOMPARE(poll().shown, shown);
}

void TestMonitorUnderWine::serverNeverAnswers()
{
    makeMonitor(); // the real time-out, 5 seconds
    QVERIFY(standIn_.replies({"a|1|b|"}));
    QCOMPARE(poll().shown, QStringLiteral("a: b\r\n"));
    QVERIFY(standIn_.slow(15000));
    const Poll hung = poll();
    qInfo("A server that never answers: the poll ended after %lld ms; longest event-loop stall "
          "%lld ms",
          hung.ms, hung.longestStall);
    QCOMPARE(hung.shown, NoDownloads);
    QVERIFY(hung.ms >= DataExchangeClient::DefaultTimeoutMs - 100);
    QVERIFY(hung.ms < DataExchangeClient::DefaultTimeoutMs + BridgeDataExchange::GraceMs);
    QVERIFY2(hung.longestStall < 100, qPrintable(QString::number(hung.longestStall)));
    QVERIFY(standIn_.slow(0));
    // Once it answers again, so does the monitor (the bridge may rest first).
    QString shown;
    QVERIFY(QTest::qWaitFor([&] { return (shown = poll().shown) == QStringLiteral("a: b\r\n"); },
                            30000));
}

void TestMonitorUnderWine::serverKilledInTheMiddleOfAPoll()
{
    makeMonitor();
    QVERIFY(standIn_.refuse(true)); // only the doomed one takes conversations
    DdeStandIn doomed;
    QVERIFY(doomed.start());
    QVERIFY(doomed.replies({"one|1|first|", "two|1|second|", "three|1|third|"}));
    QCOMPARE(poll().shown, QStringLiteral("one: first\r\ntwo: second\r\nthree: third\r\n"));
    // Item 2 keeps the poll waiting; the server is killed meanwhile.
    QVERIFY(doomed.slow(4000, 2));
    QSignalSpy finished(monitor_.get(), &DownloadMonitor::pollFinished);
    const StallProbe probe;
    doomed.forgetAsked();
    monitor_->timer1_Timer();
    QVERIFY(doomed.waitAsked(QStringLiteral("2"), 30000));
    doomed.kill();
    QVERIFY(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 30000));
    QCOMPARE(monitor_->shownText(), QStringLiteral("one: first\r\n"));
    QVERIFY(probe.longestMs() < 100);
}

void TestMonitorUnderWine::bridgeKilledIsStartedAgain()
{
    makeMonitor();
    QVERIFY(standIn_.replies({"a|1|b|"}));
    QCOMPARE(poll().shown, QStringLiteral("a: b\r\n"));
    const qint64 pid = bridge_->processId();
    QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-9"), QString::number(pid)});
    QVERIFY(QTest::qWaitFor([&] { return bridge_->processId() != pid; }, 5000));
    QCOMPARE(poll().shown, NoDownloads); // resting
    QString shown;
    QVERIFY(QTest::qWaitFor([&] { return (shown = poll().shown) == QStringLiteral("a: b\r\n"); },
                            30000));
    QVERIFY(bridge_->processId() != pid);
}

QTEST_GUILESS_MAIN(TestMonitorUnderWine)
#include "tst_monitor_under_wine.moc"
