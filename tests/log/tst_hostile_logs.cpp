// Logs nobody should write: binary data, NULs, huge lines, only dates, mixed line
// ends, broken UTF-8, paths that are not files, and files that change under the
// loader. Each goes the whole way the window takes it (load, analysis, the tree in
// all five orders, the report) and must end in a clear outcome, never a crash or a
// hang; a failed load keeps what the earlier log left.
#include "log/formats.h"
#include "support/fakes.h"
#include "log/log_analyzer.h"
#include "log/log_loader.h"
#include "log/log_session.h"
#include "log/text_decoding.h"
#include "platform/path_resolver.h"
#include "records/log_entries.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "tree/tree_report.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <limits>
#include <malloc.h>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Message = LogSession::LoadOutcome::Message;

namespace {


const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// A literal with its NULs.
template <qsizetype N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray line(const QByteArray& message, const QByteArray& time = "09:00:00")
{
    return "03/15/01 " + time + " - " + message;
}

// Bytes 0..250 in a stride that never forms a date, and no CR or LF.
QByteArray binaryBlob(int size)
{
    QByteArray blob;
    blob.reserve(size);
    for (int i = 0; blob.size() < size; ++i) {
        const char c = char((i * 7919) % 251);
        if (c != '\r' && c != '\n')
            blob += c;
    }
    return blob;
}

// A log taken the whole way: loaded, analysed, filled in every order, reported.
struct Pipeline {
    SamePath resolver;
    Formats formats{kUs};
    LogSession session{resolver, kUs};
    LogSession::LoadOutcome outcome;
    LogAnalyzer::Result analysis;
    QList<int> nodes;         // node count per order
    QList<qint64> reportSize; // report length per order

    void load(const QString& path)
    {
        session.resetRecords();
        outcome = session.loadLogFile(path);
        if (session.logLines.isEmpty())
            return;
        analysis = LogAnalyzer(session, formats).run();
        for (const SortOrder order :
             {SortOrder::SortNone, SortOrder::SortByDate, SortOrder::SortByName,
              SortOrder::SortByURL, SortOrder::SortByLocal}) {
            TreeModel model;
            TreeFiller filler(formats);
            filler.fill(model, *session.logEntries, order, session.wideDate);
            nodes << model.nodeCount();
            QBuffer sink;
            sink.open(QIODevice::WriteOnly);
            QTextStream out(&sink);
            writeTreeReport(model, out);
            out.flush();
            reportSize << sink.size();
            model.clear();
            filler.release();
        }
    }
};

// Memory in use: the allocator's chunks in use, plus every writable anonymous
// mapping (the allocator's large chunks and pages mapped by the code itself).
// Freed memory the allocator keeps for later counts in neither.
qint64 memoryInUse()
{
    qint64 mapped = 0;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& entry : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = entry.simplified().split(' ');
        if (fields.size() != 5 || !fields[1].startsWith("rw"))
            continue; // a file, the brk heap or the stack, or not writable
        const QList<QByteArray> range = fields[0].split('-');
        mapped += range[1].toLongLong(nullptr, 16) - range[0].toLongLong(nullptr, 16);
    }
    const struct mallinfo2 heap = mallinfo2();
    return qint64(heap.uordblks) + mapped;
}

} // namespace

class TestHostileLogs : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void hostileContent_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("lines");         // accepted
        QTest::addColumn<qint64>("badRecords"); // reported
        QTest::addColumn<int>("records");
        QTest::addColumn<qint64>("skipped"); // dated lines the analysis could not take apart
        QTest::addColumn<int>("finished");   // records with a finish time

        const QByteArray mb(1 << 20, 'x');
        QTest::newRow("binary file")
            << binaryBlob(256 * 1024) << 0 << qint64(1) << 0 << qint64(0) << 0;
        QTest::newRow("binary around a dated line")
            << binaryBlob(4096) + "\r\n" + line("File: C:\\dl\\a.zip=http://h/a.zip") + "\r\n" +
                   binaryBlob(4096)
            << 1 << qint64(2) << 1 << qint64(0) << 0;
        QTest::newRow("NUL bytes inside lines")
            << line(raw("File: C:\\dl\\a\0b.zip=http://h/a\0b.zip")) + "\r\n" + raw("\0\0\0\r\n") +
                   raw("03/15/01\0 09:00:00 - x\r\n") +
                   line(raw("Finished downloading C:\\dl\\a\0b.zip")) + "\r\n"
            << 3 << qint64(1) << 1 << qint64(0) << 1;
        QTest::newRow("lines of 1 MB")
            << line("File: C:\\dl\\" + mb + "=http://h/" + mb) + "\r\n" +
                   line("Resumed: C:\\dl\\" + mb + " at: 2048") + "\r\n" + line("Note " + mb) +
                   "\r\n" + line("Finished downloading C:\\dl\\" + mb) + "\r\n" + mb + "\r\n"
            << 4 << qint64(1) << 1 << qint64(0) << 1;
        QTest::newRow("only dates") << QByteArray("03/15/01\r\n03/16/2001\r\n3/5/01\n12/31/99") << 4
                                    << qint64(0) << 0 << qint64(4) << 0;
        QTest::newRow("CR, LF and CRLF mixed")
            << line("File: C:\\dl\\a.zip=http://h/a.zip") + "\r" +
                   line("File: C:\\dl\\b.zip=http://h/b.zip") + "\n" +
                   line("Finished downloading C:\\dl\\a.zip") + "\r\n" +
                   line("Finished downloading C:\\dl\\b.zip") + "\n\r"
            << 4 << qint64(1) << 2 << qint64(0) << 2;
        QTest::newRow("invalid UTF-8")
            << line("File: C:\\dl\\caf\xe9\xc0\xaf\xed\xa0\x80.zip=http://h/caf\xe9\xc0\xaf\xed"
                    "\xa0\x80.zip") +
                   "\r\n" + line("Finished downloading C:\\dl\\CAF\xc9\xc0\xaf\xed\xa0\x80.ZIP") +
                   "\r\n" + line("Note \xe2\x82") + "\r\n"
            << 3 << qint64(0) << 1 << qint64(0) << 1;
        QTest::newRow("date then garbage")
            << QByteArray("03/15/01\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6\xf5\xf4"
                          "File: =\r\n12/31/99 99:99:99 - File: =\r\n")
            << 2 << qint64(0) << 2 << qint64(0) << 0;
    }

    void hostileContent()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, lines);
        QFETCH(qint64, badRecords);
        QFETCH(int, records);
        QFETCH(qint64, skipped);
        QFETCH(int, finished);

        Pipeline run;
        run.load(write(QStringLiteral("hostile.log"), content));
        QCOMPARE(run.session.logLines.count(), lines);
        // Bad records are counted and reported; a log that keeps no line says so.
        QCOMPARE(run.outcome.message, badRecords   ? Message::BadRecords
                                      : lines == 0 ? Message::NoDatedLines
                                                   : Message::None);
        QCOMPARE(run.outcome.badRecords, badRecords);
        QCOMPARE(run.session.logEntries->count(), records);
        QCOMPARE(run.analysis.skippedLines, skipped);
        int finishedRecords = 0;
        run.session.logEntries->forEach(
            [&](const LogEntry& e) { finishedRecords += e.dateFinished.isEmpty() ? 0 : 1; });
        QCOMPARE(finishedRecords, finished);
        if (lines == 0)
            return;
        QCOMPARE(run.nodes.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(run.nodes[i] >= records);
            QVERIFY(run.reportSize[i] > 0 || records == 0);
        }
    }

    // Byte counts as large as a count may be, resumed over and over: the totals
    // stop at the largest number rather than wrap around to negative ones.
    void kilobytesBeyondAnyTotal_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<qint64>("total");
        QTest::newRow("up") << QByteArray("4600000000000000000")
                            << std::numeric_limits<qint64>::max();
        QTest::newRow("down") << QByteArray("-4600000000000000000")
                              << std::numeric_limits<qint64>::min();
    }

    void kilobytesBeyondAnyTotal()
    {
        QFETCH(QByteArray, count);
        QFETCH(qint64, total);
        QByteArray log = line("File: C:\\dl\\a.zip=http://h/a.zip") + "\r\n";
        for (int i = 0; i < 2100; ++i)
            log += line("Resumed: C:\\dl\\a.zip at: " + count) + "\r\n";
        // A fraction takes the other way through the sums.
        log += line("Resumed: C:\\dl\\a.zip at: 1.5") + "\r\n";
        Pipeline run;
        run.load(write(QStringLiteral("huge-counts.log"), log));
        QCOMPARE(run.session.statistics.resumeCount, qint64(2101));
        QCOMPARE(run.session.statistics.resumedKBytes, total);
        QCOMPARE(run.session.logEntries->item(1)->num, total);
    }

    // Text that is not UTF-8 is read byte for byte in the Windows code page: no
    // byte is lost and a name keeps matching its later lines.
    void brokenUtf8KeepsEveryByte()
    {
        const QByteArray bytes("caf\xe9\xc0\xaf\xed\xa0\x80\xe2\x82");
        const QString text = decodeLogText(bytes);
        QCOMPARE(text.size(), bytes.size());
        QVERIFY(!text.contains(QChar::ReplacementCharacter));
    }

    void notAFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("needsUnprivileged");
        QTest::newRow("directory") << dir_.path() << false;
        QTest::newRow("FIFO") << dir_.filePath(QStringLiteral("fifo.log")) << false;
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << false;
        QTest::newRow("/dev/urandom") << QStringLiteral("/dev/urandom") << false;
        QTest::newRow("link to /dev/zero") << dir_.filePath(QStringLiteral("zero.log")) << false;
        QTest::newRow("dangling link") << dir_.filePath(QStringLiteral("dangling.log")) << false;
        QTest::newRow("missing") << dir_.filePath(QStringLiteral("missing.log")) << false;
        QTest::newRow("empty path") << QString() << false;
        QTest::newRow("NUL in the path")
            << dir_.filePath(QStringLiteral("good.log")) + QChar(u'\0') + QStringLiteral("x")
            << false;
        QTest::newRow("no read permission") << dir_.filePath(QStringLiteral("secret.log")) << true;
    }

    void notAFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, needsUnprivileged);
        if (needsUnprivileged && geteuid() == 0)
            QSKIP("root reads any file: a missing read permission cannot be shown as root");

        const QString good =
            write(QStringLiteral("good.log"), line("File: C:\\dl\\a.zip=http://h/a.zip") + "\r\n");
        const QString fifo = dir_.filePath(QStringLiteral("fifo.log"));
        QFile::remove(fifo);
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QFile::remove(dir_.filePath(QStringLiteral("zero.log")));
        QVERIFY(
            QFile::link(QStringLiteral("/dev/zero"), dir_.filePath(QStringLiteral("zero.log"))));
        QFile::remove(dir_.filePath(QStringLiteral("dangling.log")));
        QVERIFY(QFile::link(dir_.filePath(QStringLiteral("gone")),
                            dir_.filePath(QStringLiteral("dangling.log"))));
        const QString secret = write(QStringLiteral("secret.log"), line("x") + "\r\n");
        QVERIFY(QFile::setPermissions(secret, QFileDevice::WriteOwner));

        Pipeline run;
        run.load(good);
        QCOMPARE(run.session.logLines.count(), 1);
        const QString stamp = run.session.loadedLogStamp;

        // A clear error at once: a FIFO or a device is never opened, so nothing blocks.
        run.session.resetRecords();
        const LogSession::LoadOutcome outcome = run.session.loadLogFile(path);
        QCOMPARE(outcome.message, Message::FileError);
        QVERIFY(run.session.logLines.isEmpty());
        QCOMPARE(run.session.loadedLogPath, good);
        QCOMPARE(run.session.loadedLogStamp, stamp);
        // No log is loaded any more: its dates are gone with it.
        QVERIFY(run.session.firstLogDate.isEmpty());
        QVERIFY(!outcome.detail.isEmpty());
        QCOMPARE(run.session.logEntries->count(), 0);

        // The next load of a good log works as before.
        run.session.resetRecords();
        QCOMPARE(run.session.loadLogFile(good).message, Message::None);
        QCOMPARE(run.session.logLines.count(), 1);
        QFile::remove(fifo);
    }

    // One line of 200 MB, with and without a date at its head: read once, no
    // message but the bad-record count, and tavrin-report gets through it too.
    void hugeSingleLine_data()
    {
        QTest::addColumn<bool>("dated");
        QTest::newRow("dated") << true;
        QTest::newRow("undated") << false;
    }

    void hugeSingleLine()
    {
        QFETCH(bool, dated);
        const QString path = dir_.filePath(QStringLiteral("huge.log"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(dated ? line("Connecting ") : QByteArray("GetRight log "));
            const QByteArray chunk(1 << 20, 'x');
            for (int i = 0; i < 200; ++i)
                QCOMPARE(file.write(chunk), chunk.size());
        }
        {
            Pipeline run;
            run.load(path);
            QCOMPARE(run.session.logLines.count(), dated ? 1 : 0);
            // Undated, it is one bad record, and the log keeps no line.
            QCOMPARE(run.outcome.message, dated ? Message::None : Message::BadRecords);
            QCOMPARE(run.session.logEntries->count(), 0);
            QCOMPARE(run.analysis.skippedLines, qint64(0));
        }

        const QString report = QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report");
        if (!QFile::exists(report)) {
            QFile::remove(path);
            QSKIP("tavrin-report is not built");
        }
        QProcess process;
        process.start(report, {path});
        QVERIFY(process.waitForFinished(240000));
        QFile::remove(path);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY2(out.startsWith("Total Files: 0\n"), out.left(200).constData());
        QCOMPARE(process.readAllStandardError(),
                 dated ? QByteArray() : QByteArray("1 bad records were ignored\n"));
    }

    // A file cut, grown, rewritten and deleted while it is being read: each load
    // ends with whole lines of one version of the file or a clear error. The
    // large file is read on a second thread while its lines are taken apart.
    void changesDuringTheLoad_data()
    {
        QTest::addColumn<int>("fullLines");
        QTest::newRow("small") << 10000;
        QTest::newRow("larger than a read piece") << 120000;
    }

    void changesDuringTheLoad()
    {
        QFETCH(int, fullLines);
        const QString path = dir_.filePath(QStringLiteral("moving.log"));
        QByteArray full;
        for (int i = 0; i < fullLines; ++i)
            full += line("File: C:\\dl\\f" + QByteArray::number(i) + "=http://h/f" +
                         QByteArray::number(i)) +
                    "\r\n";
        write(QStringLiteral("moving.log"), full);

        std::atomic<bool> stop{false};
        std::thread writer([&] {
            const QByteArray name = QFile::encodeName(path);
            for (int round = 0; !stop; ++round) {
                // Rewritten, cut in the middle of a line, rewritten, emptied,
                // rewritten, deleted: always some prefix of the same log.
                const int step = round % 6;
                if (step == 5) {
                    ::unlink(name.constData());
                } else {
                    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
                    if (fd >= 0) {
                        [[maybe_unused]] qint64 result = 0;
                        if (step % 2 == 0)
                            result = pwrite(fd, full.constData(), size_t(full.size()), 0);
                        else
                            result = ftruncate(fd, step == 1 ? full.size() / 2 + 7 : 0);
                        ::close(fd);
                    }
                }
                usleep(2000); // let loads meet each state of the file
            }
        });
        // A failed check returns at once: the writer must still be stopped.
        const auto stopWriter = qScopeGuard([&] {
            stop = true;
            writer.join();
        });

        int loaded = 0;
        for (int i = 0; i < 30; ++i) {
            Pipeline run;
            run.session.resetRecords();
            run.outcome = run.session.loadLogFile(path);
            QVERIFY(run.session.logLines.count() <= fullLines);
            usleep(3000); // a failed load is quick: the next one meets another state
            if (run.session.logLines.isEmpty())
                continue;
            ++loaded;
            // Whole lines of the file; only the last may have been cut by a truncation.
            // A read that meets a truncation in the kernel can get the bytes it
            // was zeroing at that moment: such a line holds NULs, and so it
            // is what the file held, not a fault of the reading.
            const int count = run.session.logLines.count();
            for (int n = 1; n < count; ++n)
                QVERIFY2(run.session.logLines.raw(n).startsWith("03/15/01 09:00:00 - File: ") ||
                             run.session.logLines.raw(n).contains('\0'),
                         qPrintable(QStringLiteral("line %1 of %2: ").arg(n).arg(count) +
                                    QString::fromLatin1(run.session.logLines.raw(n).first(
                                        qMin<qsizetype>(80, run.session.logLines.raw(n).size())).toByteArray().toHex(' '))));
            QVERIFY(run.session.logLines.raw(count).startsWith("03/15/01"));
            const LogAnalyzer::Result result = LogAnalyzer(run.session, run.formats).run();
            // Only a line cut at the end of the file (or zeroed by a truncation) may be cut short.
            int zeroed = 0;
            for (int n = 1; n < count; ++n)
                zeroed += run.session.logLines.raw(n).contains('\0') ? 1 : 0;
            QVERIFY(result.skippedLines <= 1 + zeroed);
        }
        qInfo("%d of 30 loads found lines", loaded);
    }

    // The memory a load holds grows with the file, not faster: per byte of log,
    // a log four times as long costs no more. Counted is all the data memory the
    // load, the records and the tree keep, in the heap or in pages of their own.
    void memoryGrowsLinearly()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's allocator keeps freed memory and reserves its own");
#endif
        if (memoryInUse() == 0)
            QSKIP("no /proc/self/maps here");
        auto perByte = [&](int records) -> double {
            QByteArray log;
            for (int i = 0; i < records; ++i) {
                const QByteArray n = QByteArray::number(i);
                log += line("File: C:\\dl\\f" + n + ".zip=http://h/d" + n + "/f" + n + ".zip") +
                       "\r\n" + line("Resumed: C:\\dl\\f" + n + ".zip at: 4096") + "\r\n";
            }
            const QString path = write(QStringLiteral("memory.log"), log);
            const qint64 before = memoryInUse();
            auto run = std::make_unique<Pipeline>();
            run->session.resetRecords();
            run->session.loadLogFile(path);
            LogAnalyzer(run->session, run->formats).run();
            TreeModel model;
            TreeFiller filler(run->formats);
            filler.fill(model, *run->session.logEntries, SortOrder::SortByURL, false);
            const qint64 held = memoryInUse() - before;
            model.clear();
            filler.release();
            return double(held) / double(log.size());
        };
        const double small = perByte(20000);
        const double large = perByte(80000);
        qInfo("memory held per byte of log: %.1f at 20000 records, %.1f at 80000", small, large);
        QVERIFY2(large < small * 1.3, "the memory of a load grows faster than the file");
        // Its records and nodes are a few times the size of the lines they come from.
        QVERIFY2(large < 24, "a load holds far more than its file");
    }
};

QTEST_GUILESS_MAIN(TestHostileLogs)
#include "tst_hostile_logs.moc"
