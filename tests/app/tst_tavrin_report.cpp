#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run report(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report"), args);
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
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Total Files: 0\nTotal Resumes: 0\nTotal Restarts: 0\n"
                                         "Total Completed: 0\nBytes Recovered: 0\nLog Started: 0\n"
                                         "Log Finished: 0\n\n"));
    }

    void unreadableFile()
    {
        const Run run = report({QStringLiteral("/nonexistent/getright.log")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QStringLiteral("Error loading file. Please check the file path\n"));
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
        QVERIFY(run.err.startsWith(QStringLiteral("usage: tavrin-report")));
        QCOMPARE(run.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestTavrinReport)
#include "tst_tavrin_report.moc"
