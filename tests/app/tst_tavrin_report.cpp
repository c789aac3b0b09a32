#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run report(const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
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
