#include "log/formats.h"
#include "log/log_analyzer.h"
#include "log/log_session.h"
#include "support/fakes.h"
#include "tree/tree_filler.h"
#include "tree/tree_images.h"
#include "tree/tree_report.h"

#include <QTest>

namespace {


const QLocale kUs(QStringLiteral("en_US"));

struct Filled {
    SamePath resolver;
    LogSession session{resolver, kUs};
    Formats formats{kUs};
    TreeModel model;
    TreeFiller filler{formats};

    explicit Filled(SortOrder order, const QString& log = QStringLiteral(TAVRIN_TEST_DATA "/orders.log"))
    {
        session.resetRecords();
        session.loadLogFile(log);
        LogAnalyzer(session, formats).run();
        filler.fill(model, *session.logEntries, order, session.wideDate);
    }

    QString report() const
    {
        QString text;
        QTextStream out(&text);
        writeTreeReport(model, out);
        return text;
    }

    QString textOf(const QString& key) const { return model.text(model.findKey(key)); }
};

QString lines(const QStringList& list)
{
    return list.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

class TestTreeFiller : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logOrder()
    {
        const Filled tree(SortOrder::SortNone);
        QCOMPARE(tree.report(), lines({
            "Entry: 1\tb.zip",
            "  Started Entry: 1\tAdded: 3/15/01 - 09:00:00 AM",
            "  URL Entry: 1\tURL: http://h/pub/b.zip",
            "  Local Entry: 1\tLocal Path: C:\\dl\\b.zip",
            "  Restarts Entry: 1\tRestarts: 1",
            "  Mirrors Entry: 1\tMirror Swaps: 1",
            "  Resumes Entry: 1\tResumes: 1",
            "  Bytes Entry: 1\tKBytes Resumed: 1,234,567 Kb",
            "  Finished Entry: 1\tFinished: 3/15/01 - 09:10:00 PM",
            "Entry: 2\ta.zip",
            "  Started Entry: 2\tAdded: 3/16/01 - 10:00:00 AM",
            "  URL Entry: 2\tURL: ftp://f/x/A.zip",
            "  Local Entry: 2\tLocal Path: D:\\in\\A.zip",
            "Entry: 3\tc.txt",
            "  Started Entry: 3\tAdded: 3/16/01 - 10:00:01 AM",
            "  URL Entry: 3\tURL: http://h/pub/c.txt",
            "  Local Entry: 3\tLocal Path: C:\\dl\\c.txt",
        }));
        QVERIFY(!tree.model.rootsSorted());
        // Positions follow the order of addition.
        QCOMPARE(tree.model.key(1), QStringLiteral("Entry: 1"));
        QCOMPARE(tree.model.key(10), QStringLiteral("Entry: 2"));
    }

    void roots_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("roots");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("rootsSorted");
        QTest::addColumn<QString>("firstAdded");
        QTest::newRow("none") << int(SortOrder::SortNone) << QStringList{"Entry: 1", "Entry: 2", "Entry: 3"}
                              << QStringList{"b.zip", "a.zip", "c.txt"} << false << "Entry: 1";
        QTest::newRow("name") << int(SortOrder::SortByName) << QStringList{"Entry: 2", "Entry: 1", "Entry: 3"}
                              << QStringList{"a.zip", "b.zip", "c.txt"} << true << "Entry: 1";
        QTest::newRow("date") << int(SortOrder::SortByDate) << QStringList{"Date: 3/15/01", "Date: 3/16/01"}
                              << QStringList{"Thursday, March 15, 2001", "Friday, March 16, 2001"} << false
                              << "Date: 3/15/01";
        QTest::newRow("url") << int(SortOrder::SortByURL) << QStringList{"URL: ftp://f/x/", "URL: http://h/pub/"}
                             << QStringList{"ftp://f/x/", "http://h/pub/"} << true << "URL: http://h/pub/";
        QTest::newRow("local") << int(SortOrder::SortByLocal) << QStringList{"Local: C:\\dl\\", "Local: D:\\in\\"}
                               << QStringList{"C:\\dl\\", "D:\\in\\"} << true << "Local: C:\\dl\\";
    }

    void roots()
    {
        QFETCH(int, order);
        QFETCH(QStringList, roots);
        QFETCH(QStringList, texts);
        QFETCH(bool, rootsSorted);
        QFETCH(QString, firstAdded);
        const Filled tree(static_cast<SortOrder>(order));
        QStringList keys, shown;
        for (int row = 0; row < tree.model.childCount(0); ++row) {
            keys << tree.model.key(tree.model.childAt(0, row));
            shown << tree.model.text(tree.model.childAt(0, row));
        }
        QCOMPARE(keys, roots);
        QCOMPARE(shown, texts);
        QCOMPARE(tree.model.rootsSorted(), rootsSorted);
        // Position 1 is the first node added, whatever its place on screen.
        QCOMPARE(tree.model.key(1), firstAdded);
        const bool grouped = order == int(SortOrder::SortByDate) || order == int(SortOrder::SortByURL) ||
                             order == int(SortOrder::SortByLocal);
        if (grouped) {
            QVERIFY(tree.model.isSorted(1));
            QCOMPARE(tree.model.parentOf(2), 1);
            QCOMPARE(tree.model.key(2), QStringLiteral("Entry: 1"));
        }
        QCOMPARE(tree.model.nodeCount(), 17 + (grouped ? 2 : 0)); // 3 downloads, 8 + 3 + 3 details
    }

    void detailsPerOrder_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("none") << int(SortOrder::SortNone) << "Added: 3/15/01 - 09:00:00 AM"
                              << "KBytes Resumed: 1,234,567 Kb";
        QTest::newRow("name") << int(SortOrder::SortByName) << "Added: 3/15/01 - 09:00:00 AM"
                              << "KBytes Resumed: 1,234,567 Kb";
        QTest::newRow("date") << int(SortOrder::SortByDate) << "Added: 09:00:00 AM"
                              << "Bytes Resumed: 1,234,567 Kb";
        QTest::newRow("url") << int(SortOrder::SortByURL) << "Added: Thursday, March 15, 2001 / 09:00:00 AM"
                             << "KBytes Resumed: 1,234,567 Kb";
        QTest::newRow("local") << int(SortOrder::SortByLocal) << "Added: 3/15/01 / 09:00:00 AM"
                               << "KBytes Resumed: 1,234,567 Kb";
    }

    void detailsPerOrder()
    {
        QFETCH(int, order);
        QFETCH(QString, started);
        QFETCH(QString, bytes);
        const Filled tree(static_cast<SortOrder>(order));
        QCOMPARE(tree.textOf(QStringLiteral("Started Entry: 1")), started);
        QCOMPARE(tree.textOf(QStringLiteral("Bytes Entry: 1")), bytes);
        const int download = tree.model.findKey(QStringLiteral("Entry: 1"));
        QCOMPARE(tree.model.childCount(download), 8);
        QCOMPARE(tree.model.childCount(tree.model.findKey(QStringLiteral("Entry: 2"))), 3);
        QCOMPARE(tree.model.isSorted(download), false);
        const QList<int> images{TreeImages::Calendar, TreeImages::Url, TreeImages::Folder,
                                TreeImages::Restarts, TreeImages::Mirrors, TreeImages::Resumes,
                                TreeImages::Kilobytes, TreeImages::Finished};
        for (int row = 0; row < 8; ++row)
            QCOMPARE(tree.model.image(tree.model.childAt(download, row)), images[row]);
        QCOMPARE(tree.model.image(download), TreeImages::Download);
    }

    void groupedChildrenSortWithoutRegardToCase()
    {
        // b.zip and c.txt share a URL folder; a.ZIP from another record sorts between.
        const Filled tree(SortOrder::SortByURL);
        const int http = tree.model.findKey(QStringLiteral("URL: http://h/pub/"));
        QCOMPARE(tree.model.text(tree.model.childAt(http, 0)), QStringLiteral("b.zip"));
        QCOMPARE(tree.model.text(tree.model.childAt(http, 1)), QStringLiteral("c.txt"));
    }

    void emptyLogGivesEmptyTree()
    {
        SamePath resolver;
        LogSession session(resolver, kUs);
        session.resetRecords();
        const Formats formats(kUs);
        TreeModel model;
        TreeFiller filler(formats);
        int calls = 0;
        filler.fill(model, *session.logEntries, SortOrder::SortByDate, false, [&](int) {
            ++calls;
            return true;
        });
        QCOMPARE(model.nodeCount(), 0);
        QCOMPARE(calls, 0);
    }

    void progressCanStopTheFill()
    {
        SamePath resolver;
        LogSession session(resolver, kUs);
        session.resetRecords();
        session.loadLogFile(QStringLiteral(TAVRIN_TEST_DATA "/orders.log"));
        const Formats formats(kUs);
        LogAnalyzer(session, formats).run();
        TreeModel model;
        TreeFiller filler(formats);
        const bool completed = filler.fill(model, *session.logEntries, SortOrder::SortNone, false,
                                           [](int record) { return record < 2; });
        QVERIFY(!completed);
        QCOMPARE(model.childCount(0), 1); // the nodes added so far stay
    }
};

QTEST_GUILESS_MAIN(TestTreeFiller)
#include "tst_tree_filler.moc"
