// The two window programs' command line, in a terminal without a display:
// --help and --version answer, more than one file is refused.
#include <QProcess>
#include <QTest>

class TestProgramOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void options_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        for (const char* program : {"tavrin", "koslin"}) {
            const QString name = QString::fromLatin1(program);
            const QString title = name.left(1).toUpper() + name.mid(1);
            QTest::newRow(qPrintable(name + " --help"))
                << name << QStringList{"--help"} << 0 << QStringLiteral("[FILE]") << QString();
            QTest::newRow(qPrintable(name + " -h"))
                << name << QStringList{"-h"} << 0 << QStringLiteral("A GetRight log to open")
                << QString();
            QTest::newRow(qPrintable(name + " --version"))
                << name << QStringList{"--version"} << 0 << title + QStringLiteral(" 1.")
                << QString();
            QTest::newRow(qPrintable(name + " two files"))
                << name << QStringList{"a.log", "b.log"} << 2 << QString()
                << QStringLiteral("one log at a time");
        }
    }

    void options()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (!args.contains(QStringLiteral("a.log")))
            env.remove(QStringLiteral("QT_QPA_PLATFORM")); // help needs no platform at all
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TAVRIN_BIN_DIR "/") + program, args);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    }
};

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "tst_program_options.moc"
