#include "log/formats.h"
#include "log/log_analyzer.h"
#include "log/log_loader.h"
#include "log/log_session.h"
#include "log/split_path.h"
#include "log/statistics_text.h"
#include "support/fakes.h"

#include <QTemporaryDir>
#include <QTest>

namespace {


const QLocale kUs(QStringLiteral("en_US"));

// One analysed log, written from lines to a temporary file and loaded as a user would.
struct Analysed {
    SamePath resolver;
    LogSession session{resolver, kUs};
    Formats formats{kUs};
    LogAnalyzer::Result result;

    explicit Analysed(const QStringList& lines)
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.log"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        file.close();
        session.resetRecords();
        session.loadLogFile(path);
        result = LogAnalyzer(session, formats).run();
    }

    const LogEntry& record(int position) const { return *session.logEntries->item(position); }
    int records() const { return session.logEntries->count(); }
    const Statistics& stats() const { return session.statistics; }
};

QString at(const QString& message, const QString& time = QStringLiteral("09:12:44"))
{
    return QStringLiteral("03/15/01 ") + time + QStringLiteral(" - ") + message;
}

QString wideAt(const QString& message)
{
    return QStringLiteral("03/15/2001 14:05:09 - ") + message;
}

} // namespace

class TestLogAnalyzer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyKindOfMessage()
    {
        const Analysed log({
            at("File: C:\\dl\\setup.exe.GETRIGHT=http://host/pub/Setup.EXE"),
            at("Connecting to host"),
            at("(Re)Started downloading: C:\\dl\\setup.exe"),
            at("Resumed: C:\\dl\\setup.exe at: 1536"),
            at("Could not resume (restarting from 0): C:\\dl\\setup.exe"),
            at("(Re)Started downloading: C:\\dl\\setup.exe"),
            at("Resumed: C:\\dl\\setup.exe at: 1536"),
            at("Finished downloading C:\\dl\\setup.exe", "15:30:01"),
        });
        QCOMPARE(log.result.skippedLines, 0);
        QCOMPARE(log.records(), 1);
        const LogEntry& r = log.record(1);
        QCOMPARE(r.key, QStringLiteral("HTTP://HOST/PUB/SETUP.EXE"));
        QCOMPARE(r.fName, QStringLiteral("setup.exe"));
        QCOMPARE(r.localName, QStringLiteral("C:\\dl\\setup.exe"));
        QCOMPARE(r.url, QStringLiteral("http://host/pub/Setup.EXE"));
        QCOMPARE(r.dateStarted, QStringLiteral("3/15/01 - 09:12:44 AM"));
        QCOMPARE(r.dateFinished, QStringLiteral("3/15/01 - 03:30:01 PM"));
        QCOMPARE(r.mirrors, 1);  // the first start brings -1 to 0, the second is a swap
        QCOMPARE(r.restarts, 1);
        QCOMPARE(r.resumes, 1);  // -1, 0, 1
        QCOMPARE(r.num, 4);      // 1.5 -> 2, 3.5 -> 4
        QCOMPARE(log.stats().fileCount, 1);
        QCOMPARE(log.stats().resumeCount, 2);
        QCOMPARE(log.stats().restartCount, 3); // both forms count in the totals
        QCOMPARE(log.stats().finishCount, 1);
        QCOMPARE(log.stats().resumedKBytes, 4);
        QCOMPARE(log.session.logCurEntries->count(), 0);
    }

    void roundingOfKilobytes_data()
    {
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("num");
        QTest::newRow("512 512") << QStringList{"512", "512"} << qint64(0) << qint64(0);
        QTest::newRow("1536 1536") << QStringList{"1536", "1536"} << qint64(4) << qint64(4);
        QTest::newRow("beyond 2 GB") << QStringList{"3221225472"} << qint64(3145728) << qint64(3145728);
        QTest::newRow("fraction") << QStringList{"1535.6"} << qint64(2) << qint64(1);
    }

    void roundingOfKilobytes()
    {
        QFETCH(QStringList, counts);
        QFETCH(qint64, total);
        QFETCH(qint64, num);
        QStringList lines{at("File: C:\\a.zip.getright=http://h/a.zip")};
        for (const QString& count : counts)
            lines << at("Resumed: C:\\a.zip at: " + count);
        const Analysed log(lines);
        // Both round after every line; the totals round the byte count first.
        QCOMPARE(log.stats().resumedKBytes, total);
        QCOMPARE(log.record(1).num, num);
    }

    void urlSeenTwice()
    {
        const Analysed log({
            at("File: C:\\a.zip=http://h/a.zip"),
            at("File: C:\\b.zip=http://h/b.zip"),
            at("File: C:\\a2\\a.zip=HTTP://H/A.ZIP"),
            at("Resumed: C:\\a2\\a.zip at: 4096"),
        });
        QCOMPARE(log.records(), 3);
        QCOMPARE(log.record(1).url, QStringLiteral("http://h/b.zip"));
        QCOMPARE(log.record(2).url, QStringLiteral("http://h/a.zip"));
        QCOMPARE(log.record(2).key, QString()); // superseded
        QCOMPARE(log.record(3).key, QStringLiteral("HTTP://H/A.ZIP"));
        QCOMPARE(log.session.logEntries->item(QStringLiteral("http://h/a.zip")), &log.record(3));
        QCOMPARE(log.record(3).num, 4);
        QCOMPARE(log.record(2).num, 0);
    }

    void sameNameFromTwoUrls()
    {
        const Analysed log({
            at("File: C:\\x\\setup.exe=http://one/setup.exe"),
            at("File: C:\\y\\setup.exe=http://two/SETUP.exe"),
            at("Resumed: C:\\x\\setup.exe at: 2048"),
            at("Finished downloading C:\\x\\setup.exe"),
            at("Finished downloading C:\\x\\setup.exe"),
        });
        QCOMPARE(log.record(1).resumes, -1);
        QVERIFY(log.record(1).dateFinished.isEmpty());
        QCOMPARE(log.record(2).resumes, 0);
        QVERIFY(!log.record(2).dateFinished.isEmpty());
        QCOMPARE(log.stats().finishCount, 2);
    }

    void linesForUnknownNamesChangeNoRecord()
    {
        const Analysed log({
            at("File: C:\\a.zip=http://h/a.zip"),
            at("Finished downloading C:\\never\\started.zip"),
            at("(Re)Started downloading: C:\\other.zip"),
            at("Resumed: C:\\other.zip at: 4096"),
        });
        const LogEntry& r = log.record(1);
        QCOMPARE(r.mirrors, -1);
        QCOMPARE(r.resumes, -1);
        QVERIFY(r.dateFinished.isEmpty());
        QCOMPARE(log.stats().finishCount, 1);
        QCOMPARE(log.stats().restartCount, 1);
        QCOMPARE(log.stats().resumedKBytes, 4);
    }

    void classification_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("resumes");
        QTest::addColumn<qint64>("restarts");
        QTest::addColumn<qint64>("finishes");
        QTest::newRow("blanks before Resumed") << "  Resumed: C:\\a.zip at: 10" << qint64(1) << qint64(0) << qint64(0);
        QTest::newRow("lower-case resumed") << "resumed: C:\\a.zip at: 10" << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("Could not resume") << "Could not resume (restarting from 0): C:\\a.zip" << qint64(0) << qint64(1) << qint64(0);
        QTest::newRow("(Re)Started") << "(Re)Started downloading: C:\\a.zip" << qint64(0) << qint64(1) << qint64(0);
        QTest::newRow("(re)started") << "(re)started downloading: C:\\a.zip" << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("Finished") << "Finished downloading C:\\a.zip" << qint64(0) << qint64(0) << qint64(1);
        QTest::newRow("File: without blank") << "File:C:\\a.zip=http://h/b.zip" << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("other") << "Connecting to h" << qint64(0) << qint64(0) << qint64(0);
    }

    void classification()
    {
        QFETCH(QString, message);
        QFETCH(qint64, resumes);
        QFETCH(qint64, restarts);
        QFETCH(qint64, finishes);
        const Analysed log({at("File: C:\\a.zip=http://h/a.zip"), at(message)});
        QCOMPARE(log.stats().fileCount, 1);
        QCOMPARE(log.stats().resumeCount, resumes);
        QCOMPARE(log.stats().restartCount, restarts);
        QCOMPARE(log.stats().finishCount, finishes);
        QCOMPARE(log.records(), 1);
    }

    void getrightSuffixInAnyCase_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("local");
        QTest::newRow("upper") << "C:\\dl\\a.zip.GETRIGHT" << "C:\\dl\\a.zip";
        QTest::newRow("lower") << "C:\\dl\\a.zip.getright" << "C:\\dl\\a.zip";
        QTest::newRow("mixed") << "C:\\dl\\a.zip.GetRight" << "C:\\dl\\a.zip";
        QTest::newRow("none") << "C:\\dl\\a.zip" << "C:\\dl\\a.zip";
        QTest::newRow("blanks in path") << "C:\\My Files\\a b.zip.GETRIGHT " << "C:\\My Files\\a b.zip";
    }

    void getrightSuffixInAnyCase()
    {
        QFETCH(QString, path);
        QFETCH(QString, local);
        const Analysed log({at("File: " + path + "=http://h/a.zip")});
        QCOMPARE(log.record(1).localName, local);
        QCOMPARE(log.stats().fileCount, 1);
    }

    void urlEndingInSlashIsUnreachable()
    {
        const Analysed log({at("File: C:\\index.html=http://h/pub/"),
                            at("Finished downloading C:\\index.html")});
        QCOMPARE(log.records(), 1);
        QCOMPARE(log.record(1).fName, QString());
        QVERIFY(log.record(1).dateFinished.isEmpty());
    }

    void urlMayContainEquals()
    {
        const Analysed log({at("File: C:\\get.php=http://h/get.php?id=7&x=y")});
        QCOMPARE(log.record(1).url, QStringLiteral("http://h/get.php?id=7&x=y"));
        QCOMPARE(log.record(1).fName, QStringLiteral("get.php?id=7&x=y"));
    }

    void malformedLinesAreSkipped_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("date only") << "03/15/01";
        QTest::newRow("shorter than prefix") << "03/15/01 09:12:44 -";
        QTest::newRow("file without =") << at("File: C:\\a.zip http://h/b.zip");
        QTest::newRow("resumed without at") << at("Resumed: C:\\a.zip 4096");
        QTest::newRow("resumed count not a number") << at("Resumed: C:\\a.zip at: lots");
        QTest::newRow("resumed count empty") << at("Resumed: C:\\a.zip at: ");
    }

    void malformedLinesAreSkipped()
    {
        QFETCH(QString, line);
        const Analysed log({at("File: C:\\a.zip=http://h/a.zip"), line,
                            at("Resumed: C:\\a.zip at: 2048")});
        QCOMPARE(log.result.skippedLines, 1);
        // The line left no trace, and the analysis went on after it.
        QCOMPARE(log.records(), 1);
        QCOMPARE(log.stats().fileCount, 1);
        QCOMPARE(log.stats().resumeCount, 1);
        QCOMPARE(log.stats().resumedKBytes, 2);
        QCOMPARE(log.record(1).resumes, 0);
        QCOMPARE(log.record(1).num, 2);
        QCOMPARE(skippedLinesMessage(1), QStringLiteral("1 lines could not be analysed"));
    }

    void bothDateWidthsLineByLine()
    {
        const Analysed log({
            wideAt("File: C:\\dl\\a.zip.GETRIGHT=http://h/a.zip"),
            at("Resumed: C:\\dl\\a.zip at: 2048"),
            wideAt("Resumed: C:\\dl\\a.zip at: 2048"),
            wideAt("Finished downloading C:\\dl\\a.zip"),
        });
        QCOMPARE(log.result.skippedLines, 0);
        const LogEntry& r = log.record(1);
        QCOMPARE(r.localName, QStringLiteral("C:\\dl\\a.zip"));
        QCOMPARE(r.dateStarted, QStringLiteral("3/15/01 - 02:05:09 PM"));
        QCOMPARE(r.resumes, 1);
        QCOMPARE(r.num, 4);
        QVERIFY(!r.dateFinished.isEmpty());
        QVERIFY(log.session.wideDate); // the last line's width
    }

    void statisticsTexts_data()
    {
        QTest::addColumn<qint64>("kbytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << " Kb";
        QTest::newRow("small") << qint64(512) << "512 Kb";
        QTest::newRow("millions") << qint64(1234567) << "1,234,567 Kb";
    }

    void statisticsTexts()
    {
        QFETCH(qint64, kbytes);
        QFETCH(QString, text);
        Statistics stats;
        stats.fileCount = 3;
        stats.resumedKBytes = kbytes;
        const Formats formats(kUs);
        const QStringList previous{"0", "0", "0", "0", "0", "old first", "old last"};
        const QStringList texts = ::statisticsTexts(stats, QStringLiteral("03/15/2001"),
                                                    QStringLiteral("not a date"), formats, previous);
        QCOMPARE(texts[0], QStringLiteral("3"));
        QCOMPARE(texts[4], text);
        QCOMPARE(texts[5], QStringLiteral("3/15/01"));
        QCOMPARE(texts[6], QStringLiteral("old last"));
    }

    void splitPathCases_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows") << "C:\\dl\\Setup.EXE" << "C:\\dl\\" << "setup.exe";
        QTest::newRow("url") << "http://h/pub/A.ZIP" << "http://h/pub/" << "a.zip";
        QTest::newRow("mixed last wins") << "C:\\a/b\\C.txt" << "C:\\a/b\\" << "c.txt";
        QTest::newRow("no separator") << "README" << "" << "readme";
        QTest::newRow("trailing slash") << "http://h/" << "http://h/" << "";
        QTest::newRow("empty") << "" << "" << "";
    }

    void splitPathCases()
    {
        QFETCH(QString, text);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        const auto parts = splitPath(text);
        QCOMPARE(parts.folder, folder);
        QCOMPARE(parts.name, name);
    }
};

QTEST_GUILESS_MAIN(TestLogAnalyzer)
#include "tst_log_analyzer.moc"
