#include "monitor/download_monitor.h"

#include "log/log_loader.h"
#include "platform/local_socket_data_exchange.h"
#include "platform/path_resolver.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Maps GetRight's stored paths to files here; anything else passes unchanged.
struct MapResolver : PathResolver {
    QMap<QString, QString> paths;
    QString resolve(const QString& stored) const override { return paths.value(stored, stored); }
};

// Stands in for GetRight: answers item N with replies[N], an empty line after
// the last download; or, when silent, reads the request and never answers.
class FakeGetRight : public QObject {
    Q_OBJECT
public:
    FakeGetRight()
    {
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                ++open;
                connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                    --open;
                    socket->deleteLater();
                });
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    while (socket->canReadLine()) {
                        const QByteArray item = socket->readLine().trimmed();
                        requests << item;
                        if (!silent)
                            socket->write(replies.value(item.toInt()) + '\n');
                    }
                });
            }
        });
    }

    bool listen()
    {
        return server_.listen(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo"));
    }

    QMap<int, QByteArray> replies;
    bool silent = false;
    int connections = 0;
    int open = 0; // conversations not yet ended by the client
    QList<QByteArray> requests;

private:
    QLocalServer server_;
};

const QString threeLines = "setup.exe: 45% of 12.4 MB at 120 KB/s\r\n"
                           "debian.iso: 3% of 110.0 MB at 420 KB/s\r\n"
                           "7z442.exe: 99% of 850 KB at 60 KB/s\r\n";

} // namespace

class TestDownloadMonitor : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtimeDir;
    MapResolver resolver;

    static void fillThree(FakeGetRight& getRight)
    {
        getRight.replies = {
            {1, "setup.exe|5800000|45% of 12.4 MB at 120 KB/s|http://example.com/setup.exe"},
            {2, "debian.iso|3460300|3% of 110.0 MB at 420 KB/s|http://example.com/debian.iso"},
            {3, "7z442.exe|861696|99% of 850 KB at 60 KB/s|http://example.com/7z442.exe"},
        };
    }

    // A monitor with a short tick, so tests need not wait a second per poll.
    std::unique_ptr<DownloadMonitor> makeMonitor()
    {
        auto monitor = std::make_unique<DownloadMonitor>(resolver);
        monitor->setPollInterval(20);
        return monitor;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(runtimeDir.isValid());
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }

    void threeDownloadsInItemOrder()
    {
        FakeGetRight getRight;
        fillThree(getRight);
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        QVERIFY(!monitor->timer1().isActive());
        monitor->setChecked(true);
        QCOMPARE(monitor->timer1().interval(), 20);
        QCOMPARE(shown.count(), 0); // ticking shows nothing at once
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), threeLines);
        QCOMPARE(monitor->shownText(), threeLines);
        // One conversation per item, up to the empty reply after the last download.
        QCOMPARE(getRight.requests.mid(0, 4), (QList<QByteArray>{"1", "2", "3", "4"}));
        QVERIFY(getRight.connections >= 4);
    }

    void noServerShowsNoDownloads()
    {
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        monitor->setChecked(true);
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), DownloadMonitor::noDownloadsText());
    }

    void malformedItemEndsThePoll_data()
    {
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("two bars") << QByteArray("debian.iso|3460300|3%");
        QTest::newRow("count not a number") << QByteArray("debian.iso|many|3%|x");
    }

    void malformedItemEndsThePoll()
    {
        QFETCH(QByteArray, second);
        FakeGetRight getRight;
        fillThree(getRight);
        getRight.replies[2] = second;
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        monitor->setChecked(true);
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(),
                 QString("setup.exe: 45% of 12.4 MB at 120 KB/s\r\n"));
        QCOMPARE(getRight.requests.mid(0, 2), (QList<QByteArray>{"1", "2"}));
        QVERIFY(!getRight.requests.contains("3"));
    }

    void unchangedListLeavesTheBoxAlone()
    {
        FakeGetRight getRight;
        fillThree(getRight);
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        QSignalSpy polls(monitor.get(), &DownloadMonitor::pollFinished);
        monitor->setChecked(true);
        QTRY_VERIFY(polls.count() >= 3);
        QCOMPARE(shown.count(), 1);

        // A changed list is shown again, once.
        getRight.replies.remove(3);
        const int before = polls.count();
        QTRY_VERIFY(polls.count() >= before + 3);
        QCOMPARE(shown.count(), 2);
        QCOMPARE(shown.last().first().toString(), threeLines.section("\r\n", 0, 1) + "\r\n");

        // An emptied list reads "No downloads..." and stays quiet after that.
        getRight.replies.clear();
        QTRY_COMPARE(monitor->shownText(), DownloadMonitor::noDownloadsText());
        const int after = polls.count();
        QTRY_VERIFY(polls.count() >= after + 3);
        QCOMPARE(shown.count(), 3);
    }

    void untickingStopsAtOnce()
    {
        FakeGetRight getRight;
        fillThree(getRight);
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        QSignalSpy polls(monitor.get(), &DownloadMonitor::pollFinished);
        monitor->setChecked(true);
        QTRY_COMPARE(shown.count(), 1);

        monitor->setChecked(false);
        QCOMPARE(shown.count(), 2);
        QCOMPARE(shown.last().first().toString(), DownloadMonitor::notMonitoringText());
        QVERIFY(!monitor->isPolling());
        QVERIFY(!monitor->timer1().isActive());
        QCOMPARE(monitor->timer1().interval(), 0);
        const int pollsBefore = polls.count();

        // A monitor left on beside it runs several polls meanwhile; the unticked one none.
        auto witness = makeMonitor();
        QSignalSpy witnessPolls(witness.get(), &DownloadMonitor::pollFinished);
        witness->setChecked(true);
        QTRY_VERIFY(witnessPolls.count() >= 3);
        QCOMPARE(polls.count(), pollsBefore);
        QCOMPARE(shown.count(), 2);

        // Ticking again starts the polls afresh.
        monitor->setChecked(true);
        QTRY_COMPARE(shown.count(), 3);
        QCOMPARE(shown.last().first().toString(), threeLines);
    }

    void untickingAbandonsAWaitingPoll()
    {
        FakeGetRight getRight;
        getRight.silent = true;
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        QSignalSpy polls(monitor.get(), &DownloadMonitor::pollFinished);
        monitor->setChecked(true);
        QTRY_COMPARE(getRight.requests.size(), 1);
        QVERIFY(monitor->isPolling());
        monitor->setChecked(false);
        QVERIFY(!monitor->isPolling());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), DownloadMonitor::notMonitoringText());
        QCOMPARE(polls.count(), 0);
    }

    void silentServerTimesOutWithoutOverlap()
    {
        FakeGetRight getRight;
        getRight.silent = true;
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        monitor->setRequestTimeout(300);
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        QSignalSpy polls(monitor.get(), &DownloadMonitor::pollFinished);
        int connectionsAtEnd = -1;
        connect(monitor.get(), &DownloadMonitor::pollFinished, this,
                [&] { connectionsAtEnd = getRight.connections; });
        monitor->setChecked(true);
        QTRY_COMPARE(getRight.requests.size(), 1);

        // The event loop keeps running while the poll waits.
        bool handled = false;
        QTimer::singleShot(0, this, [&] { handled = true; });
        QTRY_VERIFY(handled);
        QVERIFY(monitor->isPolling());

        QTRY_COMPARE(polls.count(), 1);
        // Ticks every 20 ms came and went during the 300 ms wait without a new poll.
        QCOMPARE(connectionsAtEnd, 1);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), DownloadMonitor::noDownloadsText());
        // The next tick starts a fresh poll.
        QTRY_COMPARE(getRight.connections, 2);
    }

    void touchedLogRaisesTheIndicator()
    {
        QTemporaryDir dir;
        const QString local = dir.filePath("getright.log");
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("03/16/01 09:16:07 - Connecting to example.com\r\n");
        file.close();
        resolver.paths.insert("C:\\GetRight\\getright.log", local);

        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &DownloadMonitor::logChanged);
        QSignalSpy polls(monitor.get(), &DownloadMonitor::pollFinished);
        monitor->setLoadedLog("C:\\GetRight\\getright.log", fileStamp(local));
        monitor->setChecked(true);
        QTRY_VERIFY(polls.count() >= 2);
        QCOMPARE(changed.count(), 0);

        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime later = file.fileTime(QFileDevice::FileModificationTime).addSecs(2);
        QVERIFY(file.setFileTime(later, QFileDevice::FileModificationTime));
        file.close();
        QTRY_VERIFY(changed.count() >= 1);

        // A load of the changed file takes the new stamp; the polls go quiet again.
        monitor->setLoadedLog("C:\\GetRight\\getright.log", fileStamp(local));
        const int raised = changed.count();
        const int before = polls.count();
        QTRY_VERIFY(polls.count() >= before + 2);
        QCOMPARE(changed.count(), raised);
        resolver.paths.clear();
    }

    void missingLogStillAsksGetRight_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::newRow("log deleted") << true;
        QTest::newRow("no log loaded") << false;
    }

    void missingLogStillAsksGetRight()
    {
        QFETCH(bool, loaded);
        FakeGetRight getRight;
        fillThree(getRight);
        QVERIFY(getRight.listen());
        QTemporaryDir dir;
        const QString local = dir.filePath("getright.log");
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        auto monitor = makeMonitor();
        QSignalSpy changed(monitor.get(), &DownloadMonitor::logChanged);
        QSignalSpy shown(monitor.get(), &DownloadMonitor::displayText);
        if (loaded)
            monitor->setLoadedLog(local, fileStamp(local));
        QVERIFY(QFile::remove(local));
        monitor->setChecked(true);
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(shown.first().first().toString(), threeLines);
        QCOMPARE(changed.count(), 0);
    }

    void destroyedWhilePolling()
    {
        FakeGetRight getRight;
        getRight.silent = true;
        QVERIFY(getRight.listen());
        auto monitor = makeMonitor();
        monitor->setChecked(true);
        QTRY_COMPARE(getRight.requests.size(), 1);
        QCOMPARE(getRight.open, 1);
        monitor.reset();
        // The server sees the conversation end.
        QTRY_COMPARE(getRight.open, 0);
    }
};

QTEST_GUILESS_MAIN(TestDownloadMonitor)
#include "tst_download_monitor.moc"
