// A day of the download monitor: 86,400 polls, one after the other instead of
// one a second, against a GetRight stand-in whose downloads come and go from poll to
// poll while the log grows beside it. Every poll shows the stand-in's list of
// that poll; memory, conversations and timers stay flat.
//
//   TAVRIN_SOAK_POLLS=N   another number of polls (default 86400)

#include "log/log_loader.h"
#include "monitor/download_monitor.h"
#include "platform/local_socket_data_exchange.h"
#include "platform/path_resolver.h"
#include "support/fakes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// AddressSanitizer keeps freed memory in quarantine and adds its own, so the
// resident size says nothing of leaks there; LeakSanitizer, at the end of the
// run, does instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// The resident memory of this process, in KiB.
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// The downloads of poll `poll`: none now and then, up to three, with titles
// and details that change.
QList<QByteArray> downloadsOf(qint64 poll)
{
    QList<QByteArray> replies;
    const int count = int((poll * 7 / 5) % 4);
    for (int i = 1; i <= count; ++i)
        replies << "file" + QByteArray::number((poll / 3 + i) % 50) + ".zip|" +
                       QByteArray::number(poll * 1024 % 9999999) + "|" +
                       QByteArray::number(poll % 100) + "% at " + QByteArray::number(i) +
                       " KB/s|http://h/x";
    return replies;
}

QString shownFor(const QList<QByteArray>& replies)
{
    if (replies.isEmpty())
        return DownloadMonitor::noDownloadsText();
    QString text;
    for (const QByteArray& reply : replies) {
        const QList<QByteArray> fields = reply.split('|');
        text += QString::fromUtf8(fields[0]) + QStringLiteral(": ") + QString::fromUtf8(fields[2]) +
                QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

class TestMonitorSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDayOfPolls()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const qint64 polls = qEnvironmentVariableIsSet("TAVRIN_SOAK_POLLS")
                                 ? qEnvironmentVariableIntValue("TAVRIN_SOAK_POLLS")
                                 : 86400;

        // The stand-in answers from the list of the poll under way.
        qint64 poll = 0;
        QList<QByteArray> current = downloadsOf(0);
        QLocalServer server;
        QObject::connect(&server, &QLocalServer::newConnection, &server, [&] {
            while (QLocalSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                 &QObject::deleteLater);
                QObject::connect(socket, &QLocalSocket::readyRead, socket, [&current, socket] {
                    if (!socket->canReadLine())
                        return;
                    const int item = socket->readLine().trimmed().toInt();
                    socket->write(item >= 1 && item <= current.size() ? current[item - 1] + '\n'
                                                                      : QByteArray("\n"));
                });
            }
        });
        QVERIFY(server.listen(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo")));

        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("getright.log"));
        QFile logFile(log);
        QVERIFY(logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
        logFile.write("03/15/01 09:00:00 - File: C:\\dl\\a.zip=http://h/a.zip\r\n");

        const SamePath resolver;
        DownloadMonitor monitor(resolver);
        monitor.setLoadedLog(log, fileStamp(log));
        monitor.setPollInterval(0); // the next poll as soon as the last has ended
        monitor.setRequestTimeout(5000);
        int changes = 0;
        QObject::connect(&monitor, &DownloadMonitor::logChanged, [&] { ++changes; });
        const int timersAtStart = int(monitor.findChildren<QTimer*>().size());

        qint64 wrong = 0;
        QString firstWrong;
        qint64 rssStart = 0;
        qint64 rssMiddle = 0;
        qint64 largestSockets = 0;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&monitor, &DownloadMonitor::pollFinished, [&] {
            const QString expected = shownFor(current);
            if (monitor.shownText() != expected && wrong++ == 0)
                firstWrong = QStringLiteral("poll %1: shown %2, served %3")
                                 .arg(poll)
                                 .arg(monitor.shownText(), expected);
            largestSockets =
                qMax<qint64>(largestSockets, monitor.findChildren<QLocalSocket*>().size());
            ++poll;
            current = downloadsOf(poll);
            if (poll % 600 == 0) // GetRight writes to its log now and then
                logFile.write("03/15/01 09:10:00 - Connecting to h\r\n");
            if (poll == 2000)
                rssStart = residentKiB();
            if (poll == polls / 2)
                rssMiddle = residentKiB();
            if (poll >= polls)
                monitor.setChecked(false);
        });
        // A plain event loop: a wait that sleeps between its rounds would stretch every poll.
        QEventLoop loop;
        QObject::connect(&monitor, &DownloadMonitor::pollFinished, &loop, [&] {
            if (!monitor.isChecked())
                loop.quit();
        });
        QTimer::singleShot(280000, &loop, &QEventLoop::quit);
        monitor.setChecked(true);
        loop.exec();
        QVERIFY2(!monitor.isChecked(), "the day did not end within the time bound");
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const qint64 rssEnd = residentKiB();

        qInfo(
            "%lld polls in %lld ms; resident memory %lld KiB after 2,000 polls, %lld KiB half-way, "
            "%lld KiB at the end; at most %lld conversation(s) open; the log changed %d time(s)",
            poll, clock.elapsed(), rssStart, rssMiddle, rssEnd, largestSockets, changes);
        QVERIFY2(wrong == 0,
                 qPrintable(QStringLiteral("%1 polls showed another list; the first: %2")
                                .arg(wrong)
                                .arg(firstWrong)));
        QCOMPARE(poll, polls);
        QVERIFY(changes > 0);
        QVERIFY(largestSockets <= 2);
        QCOMPARE(int(monitor.findChildren<QLocalSocket*>().size()), 0);
        QCOMPARE(int(monitor.findChildren<QTimer*>().size()), timersAtStart);
        QVERIFY(!monitor.timer1().isActive());
        if (Sanitized) {
            qInfo("The resident size is not checked under AddressSanitizer: LeakSanitizer checks "
                  "for leaks when the program ends");
            return;
        }
        // Flat: no more than a little growth of the allocator's own over a day,
        // and less in the second half than in the first.
        QVERIFY2(rssEnd - rssStart < 4096,
                 qPrintable(QStringLiteral("%1 KiB grew").arg(rssEnd - rssStart)));
        QVERIFY2(rssEnd - rssMiddle <= qMax<qint64>(512, rssMiddle - rssStart),
                 qPrintable(QStringLiteral("%1 KiB in the first half, %2 in the second")
                                .arg(rssMiddle - rssStart)
                                .arg(rssEnd - rssMiddle)));
    }
};

QTEST_GUILESS_MAIN(TestMonitorSoak)
#include "tst_monitor_soak.moc"
