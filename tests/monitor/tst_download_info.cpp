#include "monitor/download_info.h"

#include <QTest>

class TestDownloadInfo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void split_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("sizeKB");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("rest");

        QTest::newRow("two bars") << "a|2048|b" << false << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("further bars stay in Rest") << "a|2048|b|c|d" << true << "a"
                                                   << "2"
                                                   << "b"
                                                   << "c|d";
        QTest::newRow("empty reply") << "" << false << ""
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("no bar") << "setup.exe" << false << ""
                                << ""
                                << ""
                                << "";
        QTest::newRow("not a number") << "a|lots|b|c" << false << ""
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("empty number") << "a||b|c" << false << ""
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("number with text") << "a|12k|b|c" << false << ""
                                          << ""
                                          << ""
                                          << "";
        QTest::newRow("infinite") << "a|inf|b|c" << false << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("empty fields") << "|0||" << true << ""
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("empty title") << "|1024|45% of 1 MB|" << true << ""
                                     << "1"
                                     << "45% of 1 MB"
                                     << "";
        QTest::newRow("rounds down") << "a|1535|b|" << true << "a"
                                     << "1"
                                     << "b"
                                     << "";
        QTest::newRow("half rounds up") << "a|1536|b|" << true << "a"
                                        << "2"
                                        << "b"
                                        << "";
        QTest::newRow("below half a KB shows nothing") << "a|511|b|" << true << "a"
                                                       << ""
                                                       << "b"
                                                       << "";
        QTest::newRow("large count, no grouping") << "big.iso|734003200|12%|" << true << "big.iso"
                                                  << "716800"
                                                  << "12%"
                                                  << "";
        QTest::newRow("locale grouping") << "a|1,048,576|b|" << true << "a"
                                         << "1024"
                                         << "b"
                                         << "";
        QTest::newRow("decimal fraction") << "a|2048.9|b|" << true << "a"
                                          << "2"
                                          << "b"
                                          << "";
        QTest::newRow("spaces around the number") << " a | 2048 | b | c " << true << " a "
                                                  << "2"
                                                  << " b "
                                                  << " c ";
        QTest::newRow("negative count") << "a|-3072|b|" << true << "a"
                                        << "-3"
                                        << "b"
                                        << "";
    }

    void split()
    {
        QFETCH(QString, reply);
        QFETCH(bool, ok);
        const auto item =
            splitDownloadInfo(reply, QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(item.has_value(), ok);
        if (!ok)
            return;
        QTEST(item->title, "title");
        QTEST(item->sizeKB, "sizeKB");
        QTEST(item->detail, "detail");
        QTEST(item->rest, "rest");
    }

    // In a comma-decimal locale the user's form is read first; the C form of a
    // plain byte count still reads.
    void commaDecimalLocale_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("sizeKB");
        QTest::newRow("plain count") << "2048"
                                     << "2";
        QTest::newRow("locale fraction") << "1536,5"
                                         << "2";
        QTest::newRow("C fraction") << "3071.5"
                                    << "3";
    }

    void commaDecimalLocale()
    {
        QFETCH(QString, field);
        const auto item = splitDownloadInfo("a|" + field + "|b|", QLocale(QLocale::French));
        QVERIFY(item);
        QTEST(item->sizeKB, "sizeKB");
    }
};

QTEST_GUILESS_MAIN(TestDownloadInfo)
#include "tst_download_info.moc"
