#include "log/date_test.h"
#include "log/log_loader.h"

#include <QTest>

class TestDateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected"); // invalid: the text is not a date

        const QDate none;
        QTest::newRow("us 8") << "en_US" << "03/15/01" << QDate(2001, 3, 15);
        QTest::newRow("us 10") << "en_US" << "03/15/2001" << QDate(2001, 3, 15);
        QTest::newRow("us short parts") << "en_US" << "3/5/01" << QDate(2001, 3, 5);
        QTest::newRow("us dashes") << "en_US" << "03-15-01" << QDate(2001, 3, 15);
        QTest::newRow("us dots") << "en_US" << "03.15.01" << QDate(2001, 3, 15);
        QTest::newRow("year 29 is 2029") << "en_US" << "01/01/29" << QDate(2029, 1, 1);
        QTest::newRow("year 30 is 1930") << "en_US" << "01/01/30" << QDate(1930, 1, 1);
        QTest::newRow("year 99") << "en_US" << "12/31/99" << QDate(1999, 12, 31);
        QTest::newRow("other order when needed") << "en_US" << "15/03/01" << QDate(2001, 3, 15);
        QTest::newRow("german order") << "de_DE" << "15.03.01" << QDate(2001, 3, 15);
        QTest::newRow("german ambiguous") << "de_DE" << "03.04.2001" << QDate(2001, 4, 3);
        QTest::newRow("german falls back") << "de_DE" << "03/15/01" << QDate(2001, 3, 15);
        QTest::newRow("iso order") << "sv_SE" << "2001-03-15" << QDate(2001, 3, 15);
        QTest::newRow("leap day") << "en_US" << "02/29/2000" << QDate(2000, 2, 29);

        QTest::newRow("8-char line prefix") << "en_US" << "03/15/01 1" << none;
        QTest::newRow("time after date") << "en_US" << "03/15/01 09" << none;
        QTest::newRow("trailing blank") << "en_US" << "03/15/01 " << none;
        QTest::newRow("leading blank") << "en_US" << " 03/15/01" << none;
        QTest::newRow("three-digit year") << "en_US" << "03/15/001" << none;
        QTest::newRow("no such day") << "en_US" << "02/30/01" << none;
        QTest::newRow("month 13 either way") << "en_US" << "13/13/01" << none;
        QTest::newRow("mixed separators") << "en_US" << "03/15-01" << none;
        QTest::newRow("two parts") << "en_US" << "03/15" << none;
        QTest::newRow("four parts") << "en_US" << "03/15/01/02" << none;
        QTest::newRow("empty") << "en_US" << "" << none;
        QTest::newRow("words") << "en_US" << "Connected" << none;
        QTest::newRow("time only") << "en_US" << "09:12:44" << none;
        QTest::newRow("not leap") << "en_US" << "02/29/2001" << none;
    }

    void read()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const DateTest test{QLocale(locale)};
        const auto date = test.read(QStringView(text));
        QCOMPARE(date.value_or(QDate()), expected);
        // The byte form used on raw log lines must agree with the text form.
        const QByteArray bytes = text.toLatin1();
        QCOMPARE(test.read(QByteArrayView(bytes)).value_or(QDate()), expected);
    }

    void acceptance_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("head");
        QTest::newRow("8-char date") << QByteArray("03/15/01 09:12:44 - File: x") << true << "03/15/01";
        QTest::newRow("10-char date") << QByteArray("03/15/2001 09:12:44 - File: x") << true << "03/15/2001";
        QTest::newRow("date only") << QByteArray("03/15/01") << true << "03/15/01";
        QTest::newRow("short date") << QByteArray("3/5/01") << true << "3/5/01";
        QTest::newRow("blank") << QByteArray("") << false << "";
        QTest::newRow("undated") << QByteArray("GetRight log started") << false << "";
        QTest::newRow("7-char date before time") << QByteArray("3/15/01 09:12:44 - x") << false << "";
        QTest::newRow("non-ASCII") << QByteArray("\xc3\xa9/15/01 09:12:44") << false << "";
    }

    void acceptance()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, accepted);
        QFETCH(QString, head);
        const DateTest test{QLocale(QStringLiteral("en_US"))};
        QCOMPARE(isAcceptedLine(line, test), accepted);
        if (accepted)
            QCOMPARE(headDate(line, test), head);
    }
};

QTEST_GUILESS_MAIN(TestDateTest)
#include "tst_date_test.moc"
