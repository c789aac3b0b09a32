// tavrin-report's output, byte for byte, against stored outputs: the demo log
// in all five orders as whole texts, and generated logs (getright-loggen, fixed
// seeds) in all five orders as SHA-256 digests. A change that alters what the
// analysis or the tree gives shows here first.
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray run(const QString& program, const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    return process.readAllStandardOutput();
}

QByteArray report(const QString& order, const QString& log)
{
    return run(QStringLiteral(TAVRIN_BIN_DIR "/tavrin-report"),
               {QStringLiteral("--order"), order, log});
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

const QStringList Orders = {"none", "date", "name", "url", "local"};

} // namespace

class TestReportGolden : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoLog_data()
    {
        QTest::addColumn<QString>("order");
        for (const QString& order : Orders)
            QTest::newRow(qPrintable(order)) << order;
    }

    void demoLog()
    {
        QFETCH(QString, order);
        const QByteArray stored =
            readFile(QStringLiteral(TAVRIN_TEST_DATA "/golden/demo-%1.txt").arg(order));
        const QByteArray now = report(order, QStringLiteral(TAVRIN_EXAMPLES "/demo-getright.log"));
        QCOMPARE(now.size(), stored.size());
        QVERIFY(now == stored);
    }

    void generatedLogs()
    {
        QTemporaryDir dir;
        const QList<QByteArray> rows =
            readFile(QStringLiteral(TAVRIN_TEST_DATA "/golden/generated.sha256"))
                .trimmed()
                .split('\n');
        QVERIFY(rows.size() == 15);
        QString lastSeed;
        QString log;
        for (const QByteArray& row : rows) {
            const QList<QByteArray> fields = row.split(' ');
            const QString seed = QString::fromLatin1(fields[0]);
            if (seed != lastSeed) {
                log = dir.filePath(QStringLiteral("gen%1.log").arg(seed));
                run(QStringLiteral(TAVRIN_BIN_DIR "/getright-loggen"),
                    {QStringLiteral("--lines"), QStringLiteral("4000"), QStringLiteral("--seed"),
                     seed, QStringLiteral("--out"), log});
                lastSeed = seed;
            }
            const QString order = QString::fromLatin1(fields[1]);
            const QByteArray digest =
                QCryptographicHash::hash(report(order, log), QCryptographicHash::Sha256).toHex();
            QVERIFY2(digest == fields[2],
                     qPrintable(QStringLiteral("seed %1, order %2").arg(seed, order)));
        }
    }
};

QTEST_GUILESS_MAIN(TestReportGolden)
#include "tst_report_golden.moc"
