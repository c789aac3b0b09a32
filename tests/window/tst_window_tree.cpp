// The analysed log in the window: statistics, the tree in its orders, search and Execute.
#include "platform/desktop_opener.h"
#include "tree/tree_model.h"
#include "window/window_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

const QByteArray kLog = "03/15/01 09:00:00 - File: C:\\dl\\b.zip.GETRIGHT=http://h/pub/b.zip\r\n"
                        "03/15/01 09:01:00 - Resumed: C:\\dl\\b.zip at: 1536\r\n"
                        "03/15/01 09:02:00 - Resumed: C:\\dl\\b.zip at: lots\r\n"
                        "03/15/01 21:10:00 - Finished downloading C:\\dl\\b.zip\r\n"
                        "03/16/01 10:00:00 - File: D:\\in\\A.zip=ftp://f/x/A.zip\r\n"
                        "03/16/01 10:00:01 - File: C:\\dl\\c.txt=http://h/pub/c.txt\r\n";

} // namespace

class TestWindowTree : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString logPath_;

    struct Loaded {
        FakeRegistry registry;
        SamePath resolver;
        RecordingOpener opener;
        std::unique_ptr<TestWindow> window;

        Loaded(const QString& log, Skin skin = Skin::Tavrin)
        {
            registry.logFile = log;
            window = std::make_unique<TestWindow>(skin, registry, resolver);
            window->setDesktopOpener(&opener);
            Q_EMIT window->control<HotCommand>("cmdOpenDefault")->click();
        }
        TestWindow& w() { return *window; }
        QTreeView* tree() { return w().control<QTreeView>("tvwFiles"); }
        TreeModel* model() { return w().control<TreeModel>("treeModel"); }
        int selected() { return model()->positionOf(tree()->currentIndex()); }
        void click(const char* command) { Q_EMIT w().control<HotCommand>(command)->click(); }
        void select(const QString& key) { tree()->setCurrentIndex(model()->indexOfPosition(model()->findKey(key))); }
    };

private Q_SLOTS:
    void initTestCase()
    {
        logPath_ = dir_.filePath(QStringLiteral("getright.log"));
        QFile file(logPath_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kLog);
    }

    void analysedLogFillsTheWindow()
    {
        Loaded log(logPath_);
        TestWindow& w = log.w();
        QStringList stats;
        for (int i = 0; i < 7; ++i)
            stats << w.findChild<QLabel*>(QStringLiteral("lblStatTxt%1").arg(i))->text();
        QCOMPARE(stats, (QStringList{"3", "1", "0", "1", "2 Kb", "3/15/01", "3/16/01"}));

        // The skipped resume line is reported once the window is usable again.
        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.messages[0].text, QStringLiteral("1 lines could not be analysed"));
        QCOMPARE(w.messages[0].title, QStringLiteral("Tavrin"));
        QVERIFY(w.messages[0].progressHidden);

        QVERIFY(!log.tree()->isHidden());
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
        QCOMPARE(log.model()->nodeCount(), 3 + 5 + 3 + 3);
        QCOMPARE(log.selected(), 1);
        for (const char* name : {"cmdPlay", "cmdCase", "cmdSearch", "cmdSearchNext", "cmdSearchPrev", "cmdReRead"})
            QVERIFY2(w.control<HotCommand>(name)->isEnabled(), name);
        QVERIFY(w.control<QLineEdit>("txtSearch")->isEnabled());
        QVERIFY(w.control<QCheckBox>("chkMonitor")->isEnabled());
    }

    void sortCommands_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("firstKey");
        QTest::newRow("by date") << QByteArray("cmdByDate") << "Date: 3/15/01";
        QTest::newRow("by name") << QByteArray("cmdByName") << "Entry: 1";
        QTest::newRow("by url") << QByteArray("cmdByURL") << "URL: http://h/pub/";
        QTest::newRow("by local") << QByteArray("cmdByLocal") << "Local: C:\\dl\\";
        QTest::newRow("no sort") << QByteArray("cmdNoSort") << "Entry: 1";
    }

    void sortCommands()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, firstKey);
        Loaded log(logPath_);
        if (command == "cmdNoSort")
            log.click("cmdByName"); // so that No Sort has something to change
        log.click(command.constData());
        const char* const all[] = {"cmdNoSort", "cmdByDate", "cmdByName", "cmdByURL", "cmdByLocal"};
        for (const char* name : all)
            QCOMPARE(log.w().control<HotCommand>(name)->isEnabled(), QByteArray(name) != command);
        QCOMPARE(log.model()->key(log.selected()), firstKey);
        QVERIFY(!log.tree()->isHidden());
        QVERIFY(log.w().control<UcPBar>("PBar1")->isHidden());
    }

    void currentOrderCommandDoesNothing()
    {
        Loaded log(logPath_);
        log.click("cmdByURL");
        log.select(QStringLiteral("Entry: 3"));
        // Even if it were enabled, the command of the current order keeps the tree as it is.
        log.w().control<HotCommand>("cmdByURL")->setEnabled(true);
        log.click("cmdByURL");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Entry: 3"));
    }

    void monitorIsPausedAndRestored()
    {
        Loaded log(logPath_);
        auto* monitor = log.w().control<QCheckBox>("chkMonitor");
        monitor->setChecked(true);
        log.click("cmdReRead");
        QVERIFY(monitor->isChecked());
        QVERIFY(monitor->isEnabled());
    }

    void search()
    {
        Loaded log(logPath_);
        auto* text = log.w().control<QLineEdit>("txtSearch");
        log.click("cmdByDate");
        log.select(QStringLiteral("Date: 3/16/01"));

        // The box's initial text is no search text at all.
        log.click("cmdSearch");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Date: 3/16/01"));

        // Enter searches from the first node; the match sits under a collapsed group.
        text->setText(QStringLiteral("B.ZIP"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Entry: 1"));
        QVERIFY(log.tree()->isExpanded(log.tree()->currentIndex().parent()));

        log.click("cmdCase");
        QCOMPARE(log.w().control<HotCommand>("cmdCase")->caption(), QStringLiteral("aBc"));
        QVERIFY(log.w().caseSensitiveSearch());
        log.click("cmdSearch");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Entry: 1")); // no match: unchanged
        log.click("cmdCase");
        QCOMPARE(log.w().control<HotCommand>("cmdCase")->caption(), QStringLiteral("ABC"));
        QVERIFY(!log.w().caseSensitiveSearch());

        // Next and Previous step over positions in order of addition.
        text->setText(QString());
        log.click("cmdSearchNext");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Started Entry: 1"));
        log.click("cmdSearchPrev");
        log.click("cmdSearchPrev");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Date: 3/15/01"));
        log.click("cmdSearchPrev");
        QCOMPARE(log.model()->key(log.selected()), QStringLiteral("Date: 3/15/01"));
    }

    void execute()
    {
        Loaded log(logPath_);
        log.w().messages.clear();
        log.select(QStringLiteral("URL Entry: 1"));
        log.click("cmdPlay");
        QCOMPARE(log.opener.opened, QList<QUrl>{QUrl(QStringLiteral("http://h/pub/b.zip"))});

        log.select(QStringLiteral("Local Entry: 1"));
        log.click("cmdPlay");
        QCOMPARE(log.opener.opened.size(), 1);
        QCOMPARE(log.w().messages.size(), 1);
        QCOMPARE(log.w().messages[0].text, QStringLiteral("File has been moved or deleted."));
        QCOMPARE(log.w().messages[0].icon, QMessageBox::Critical);
        QCOMPARE(log.w().messages[0].title, QStringLiteral("Tavrin"));

        log.select(QStringLiteral("Entry: 2"));
        log.click("cmdPlay");
        QCOMPARE(log.opener.opened.size(), 1);
        QCOMPARE(log.w().messages.size(), 1);
    }

    void reloadReplacesTree()
    {
        Loaded log(logPath_);
        log.click("cmdByLocal");
        log.click("cmdReRead");
        // The order survives a reload; the tree is built anew.
        QCOMPARE(log.w().sortOrder(), SortOrder::SortByLocal);
        QCOMPARE(log.model()->nodeCount(), 2 + 3 + 5 + 3 + 3);
    }
};

QTEST_MAIN(TestWindowTree)
#include "tst_window_tree.moc"
