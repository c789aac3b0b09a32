// tavrin-report's --help and --version: what scripts and packaging rely on.
#include <QProcess>
#include <QTest>

class TestReportOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void infoOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expectedStart");
        QTest::addColumn<QString>("expectedPart");
        const QString usage = QStringLiteral("usage: tavrin-report [--order");
        QTest::newRow("--help") << QStringList{"--help"} << usage
                                << QStringLiteral("Exit status: 0");
        QTest::newRow("-h") << QStringList{"-h"} << usage << QStringLiteral("WINEPREFIX");
        // Help wins over what follows, even over a bad option.
        QTest::newRow("--help before a bad option")
            << QStringList{"--help", "--fast"} << usage << QStringLiteral("--order ORDER");
        QTest::newRow("--version")
            << QStringList{"--version"} << QStringLiteral("tavrin-report " TAVRIN_VERSION "\n")
            << QString();
    }

    void infoOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expectedStart);
        QFETCH(QString, expectedPart);
        QProcess process;
        process.start(QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report"), args);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
        QVERIFY2(out.startsWith(expectedStart), qPrintable(out));
        if (expectedPart.isEmpty())
            QCOMPARE(out, expectedStart);
        else
            QVERIFY2(out.contains(expectedPart), qPrintable(out));
    }

    void badUsagePointsToHelp()
    {
        QProcess process;
        process.start(QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report"), {QStringLiteral("--fast")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(
            QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("--help")));
    }
};

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_report_options.moc"
