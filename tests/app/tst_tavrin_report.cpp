#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run report(const QStringList& args, const QByteArray& input = {},
           const QString& locale = QStringLiteral("en_US.UTF-8"))
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report"), args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("tavrin-report did not finish");
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestTavrinReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statisticsTreeAndMessages()
    {
        const Run run = report({QStringLiteral("--order"), QStringLiteral("date"),
                                QStringLiteral(TAVRIN_TEST_DATA "/small.log")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QStringLiteral("3 bad records were ignored\n1 lines could not be analysed\n"));
        QCOMPARE(run.out, QStringLiteral("Total Files: 1\n"
                                         "Total Resumes: 1\n"
                                         "Total Restarts: 0\n"
                                         "Total Completed: 0\n"
                                         "Bytes Recovered: 2 Kb\n"
                                         "Log Started: 3/15/01\n"
                                         "Log Finished: 3/16/01\n"
                                         "\n"
                                         "Date: 3/15/01\tThursday, March 15, 2001\n"
                                         "  Entry: 1\tb.zip\n"
                                         "    Started Entry: 1\tAdded: 09:00:00 AM\n"
                                         "    URL Entry: 1\tURL: http://h/pub/b.zip\n"
                                         "    Local Entry: 1\tLocal Path: C:\\dl\\b.zip\n"
                                         "    Bytes Entry: 1\tBytes Resumed: 2 Kb\n"));
    }

    void logWithoutAcceptedLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const Run run = report({path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QStringLiteral("The log holds no dated lines.\n"));
        QCOMPARE(run.out, QStringLiteral("Total Files: 0\nTotal Resumes: 0\nTotal Restarts: 0\n"
                                         "Total Completed: 0\nBytes Recovered: 0\nLog Started: 0\n"
                                         "Log Finished: 0\n\n"));
    }

    // An error names the file and what is wrong with it.
    void unreadableFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << "/nonexistent/getright.log"
                                 << "tavrin-report: cannot read /nonexistent/getright.log: no such file\n";
        QTest::newRow("a folder") << "/tmp" << "tavrin-report: /tmp is a folder\n";
        QTest::newRow("a device") << "/dev/null" << "tavrin-report: /dev/null is not a regular file\n";
    }

    void unreadableFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, error);
        const Run run = report({path});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, error);
    }

    // "-" reads the log from standard input, the same as from a file.
    void standardInput()
    {
        QFile log(QStringLiteral(TAVRIN_TEST_DATA "/small.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const Run fromFile = report({QStringLiteral(TAVRIN_TEST_DATA "/small.log")});
        const Run fromInput = report({QStringLiteral("--order"), QStringLiteral("none"),
                                      QStringLiteral("-")},
                                     log.readAll());
        QCOMPARE(fromInput.exitCode, 0);
        QCOMPARE(fromInput.out, fromFile.out);
        QCOMPARE(fromInput.err, fromFile.err);
        const Run empty = report({QStringLiteral("-")});
        QCOMPARE(empty.exitCode, 0);
        QCOMPARE(empty.err, QStringLiteral("The log holds no dated lines.\n"));
    }

    // A log that writes its month first, read under a locale that puts the day
    // first (or under C): the log's own 12/13/26 settles the order, so 12/11/26
    // is the 11th of December, in the statistics and in the date groups alike.
    void datesInTheLogsOwnOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("group");
        QTest::newRow("de_DE") << "de_DE.UTF-8" << "Log Started: 11.12.26\n"
                               << "Date: 11.12.26\tFreitag, 11. Dezember 2026\n";
        QTest::newRow("C") << "C.UTF-8" << "Log Started: 11 Dec 2026\n" << "Date: 11 Dec 2026\t";
        QTest::newRow("en_US") << "en_US.UTF-8" << "Log Started: 12/11/26\n"
                               << "Date: 12/11/26\tFriday, December 11, 2026\n";
    }

    void datesInTheLogsOwnOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QString, started);
        QFETCH(QString, group);
        const QByteArray log = "12/11/26 09:00:00 - File: C:\\dl\\a.zip=http://h/a.zip\r\n"
                               "12/13/26 10:00:00 - File: C:\\dl\\b.zip=http://h/b.zip\r\n";
        const Run run = report({QStringLiteral("--order"), QStringLiteral("date"), QStringLiteral("-")},
                               log, locale);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(started), qPrintable(run.out));
        QVERIFY2(run.out.contains(group), qPrintable(run.out));
    }

    void unknownOrderIsNamed()
    {
        const Run run = report({QStringLiteral("--order=size"), QStringLiteral("x.log")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.startsWith(
            QStringLiteral("tavrin-report: unknown order 'size': use none, date, name, url or local\n"
                           "usage: tavrin-report")));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{};
        QTest::newRow("unknown order") << QStringList{"--order", "size", "x.log"};
        QTest::newRow("order without value") << QStringList{"--order"};
        QTest::newRow("unknown option") << QStringList{"--fast", "x.log"};
        QTest::newRow("two files") << QStringList{"a.log", "b.log"};
    }

    void badUsage()
    {
        QFETCH(QStringList, args);
        const Run run = report(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(QStringLiteral("usage: tavrin-report")));
        QCOMPARE(run.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestTavrinReport)
#include "tst_tavrin_report.moc"
