#include "platform/wine_prefix.h"

#include <QDir>
#include <QtTest>

class TestWinePrefix : public QObject {
    Q_OBJECT

private slots:
    void prefix_data();
    void prefix();
};

void TestWinePrefix::prefix_data()
{
    QTest::addColumn<QByteArray>("environment"); // "<unset>" removes the variable
    QTest::addColumn<QString>("expected");

    const QString homeWine = QDir::homePath() + QStringLiteral("/.wine");
    QTest::newRow("set") << QByteArray("/opt/wine/getright")
                         << QStringLiteral("/opt/wine/getright");
    QTest::newRow("empty") << QByteArray("") << homeWine;
    QTest::newRow("unset") << QByteArray("<unset>") << homeWine;
}

void TestWinePrefix::prefix()
{
    QFETCH(QByteArray, environment);
    QFETCH(QString, expected);

    if (environment == "<unset>")
        qunsetenv("WINEPREFIX");
    else
        qputenv("WINEPREFIX", environment);
    QCOMPARE(winePrefix(), expected);
}

QTEST_GUILESS_MAIN(TestWinePrefix)
#include "tst_wine_prefix.moc"
