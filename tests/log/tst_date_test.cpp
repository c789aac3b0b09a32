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

    // A log's own dates settle their day/month order when one field before the
    // year is above 12; then every date of it is read in that order, whatever
    // the locale. Which lines pass does not change.
    void logDateOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QList<QByteArray>>("heads");
        QTest::addColumn<int>("settled"); // DayMonthOrder
        QTest::addColumn<QByteArray>("ambiguous");
        QTest::addColumn<QDate>("read");

        using H = QList<QByteArray>;
        const int locale = int(DayMonthOrder::Locale), monthFirst = int(DayMonthOrder::MonthFirst),
                  dayFirst = int(DayMonthOrder::DayFirst);
        QTest::newRow("month first under a day-first locale")
            << "de_DE" << H{"12/11/26", "12/13/26"} << monthFirst << QByteArray("12/11/26")
            << QDate(2026, 12, 11);
        QTest::newRow("month first under C") << "C" << H{"12/11/26", "12/13/26"} << monthFirst
                                             << QByteArray("12/11/26") << QDate(2026, 12, 11);
        QTest::newRow("day first under en_US") << "en_US" << H{"13/12/26", "11/12/26"} << dayFirst
                                               << QByteArray("11/12/26") << QDate(2026, 12, 11);
        QTest::newRow("four-digit years") << "de_DE" << H{"03/15/2001"} << monthFirst
                                          << QByteArray("03/04/2001") << QDate(2001, 3, 4);
        QTest::newRow("nothing above 12: the locale") << "de_DE" << H{"12/11/26", "01/02/26"}
                                                      << locale << QByteArray("12/11/26")
                                                      << QDate(2026, 11, 12);
        QTest::newRow("both kinds: the locale") << "en_US" << H{"13/12/26", "12/13/26"} << locale
                                                << QByteArray("11/12/26") << QDate(2026, 11, 12);
    }

    void logDateOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QList<QByteArray>, heads);
        QFETCH(int, settled);
        QFETCH(QByteArray, ambiguous);
        QFETCH(QDate, read);

        DateTest test{QLocale(locale)};
        DateOrderEvidence evidence;
        DateHeadTest<8> heads8(test, &evidence);
        DateHeadTest<10> heads10(test, &evidence);
        for (const QByteArray& head : heads)
            QVERIFY(heads10(head + " 09:00:00 - x") || heads8(head + " 09:00:00 - x"));
        QCOMPARE(int(evidence.settled()), settled);

        test.setReadingOrder(evidence.settled());
        QCOMPARE(test.read(QByteArrayView(ambiguous)), std::optional<QDate>(read));
        // Acceptance is the same in every order: 13/12/26 and 12/13/26 both pass.
        for (const char* text : {"13/12/26", "12/13/26", "12/11/26", "31/12/2026"})
            QVERIFY2(test.passes(QByteArrayView(text, qsizetype(std::strlen(text)))), text);
        QVERIFY(!test.passes(QByteArrayView("13/13/26")));
    }
};

QTEST_GUILESS_MAIN(TestDateTest)
#include "tst_date_test.moc"
