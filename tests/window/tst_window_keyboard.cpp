// The window from the keyboard: shortcuts, Enter and double clicks in the
// tree, the tab order, the painted "Monitor" word, a search that finds
// nothing told in words, and a name for every control.
#include "controls/hot_command.h"
#include "platform/desktop_opener.h"
#include "tree/tree_model.h"
#include "window/handle_label.h"
#include "window/window_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTreeView>
#include <QtTest>

namespace {

const QByteArray kLog = "03/15/01 09:00:00 - File: C:\\dl\\a.zip=http://h/a.zip\r\n"
                        "03/16/01 10:00:00 - File: C:\\dl\\b.zip=http://h/b.zip\r\n";

} // namespace

class TestWindowKeyboard : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString writeLog(const QByteArray& content)
    {
        const QString path = dir_.filePath(QStringLiteral("keys.log"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the log");
        file.write(content);
        return path;
    }

    struct Window {
        FakeRegistry registry;
        SamePath resolver;
        RecordingOpener opener;
        std::unique_ptr<TestWindow> w;

        Window(Skin skin, const QString& log)
        {
            registry.logFile = log;
            w = std::make_unique<TestWindow>(skin, registry, resolver);
            w->setDesktopOpener(&opener);
            w->show();
            w->activateWindow();
        }
        QTreeView* tree() { return w->control<QTreeView>("tvwFiles"); }
        TreeModel* model() { return w->control<TreeModel>("treeModel"); }
    };

private Q_SLOTS:
    void shortcuts_data()
    {
        QTest::addColumn<int>("skin");
        QTest::newRow("tavrin") << int(Skin::Tavrin);
        QTest::newRow("koslin") << int(Skin::Koslin);
    }

    void shortcuts()
    {
        QFETCH(int, skin);
        Window win(Skin(skin), writeLog(kLog));
        TestWindow& w = *win.w;
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // F5 does nothing before a log is loaded (Re-read is disabled), then re-reads.
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(w.session().logLines.count(), 0);
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        QCOMPARE(w.session().logLines.count(), 2);
        writeLog(kLog + "03/17/01 11:00:00 - File: C:\\dl\\c.zip=http://h/c.zip\r\n");
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(w.session().logLines.count(), 3);

        // Ctrl+O opens the dialog; Ctrl+F goes to the search box.
        w.chosenFile.reset();
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w.dialogs, 1);
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w.control<QLineEdit>("txtSearch"));

        // F3 and Shift+F3 step through the matches.
        w.control<QLineEdit>("txtSearch")->setText(QStringLiteral("zip"));
        Q_EMIT w.control<HotCommand>("cmdSearch")->click();
        const int first = win.model()->positionOf(win.tree()->currentIndex());
        QTest::keyClick(&w, Qt::Key_F3);
        const int second = win.model()->positionOf(win.tree()->currentIndex());
        QVERIFY(second > first);
        QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(win.model()->positionOf(win.tree()->currentIndex()), first);

        // A search that finds nothing says so, not only with the beep.
        w.control<QLineEdit>("txtSearch")->setText(QStringLiteral("nowhere"));
        Q_EMIT w.control<HotCommand>("cmdSearch")->click();
        QCOMPARE(QToolTip::text(),
                 MainWindow::notFoundText(QStringLiteral("nowhere"), SearchRange::FromFirst));
        QToolTip::hideText();
    }

    // Enter on a detail node runs Execute; on a download node it opens it.
    void enterInTheTree()
    {
        Window win(Skin::Tavrin, writeLog(kLog));
        TestWindow& w = *win.w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        QTreeView* tree = win.tree();
        tree->setFocus();
        const QModelIndex download = win.model()->indexOfPosition(1);
        tree->setCurrentIndex(download);
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(win.opener.opened.isEmpty());

        const int url = win.model()->findKey(QStringLiteral("URL Entry: 1"));
        QVERIFY(url > 0);
        tree->expand(download);
        tree->setCurrentIndex(win.model()->indexOfPosition(url));
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(win.opener.opened, QList<QUrl>{QUrl(QStringLiteral("http://h/a.zip"))});
    }

    // Tab follows the layout, and every control that takes the focus has a name.
    void tabOrderAndNames_data() { shortcuts_data(); }
    void tabOrderAndNames()
    {
        QFETCH(int, skin);
        Window win(Skin(skin), writeLog(kLog));
        TestWindow& w = *win.w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        const QStringList expected = {
            "cmdOpenDefault", "cmdGetLog",     "cmdNoSort", "cmdByDate",     "cmdByName",
            "cmdByURL",       "cmdByLocal",    "cmdPlay",   "tvwFiles",      "cmdCase",
            "txtSearch",      "cmdSearchPrev", "cmdSearch", "cmdSearchNext", "chkMonitor",
            "cmdReRead",      "cmdExit"};
        QStringList chain;
        QWidget* at = w.control<HotCommand>("cmdOpenDefault");
        for (int i = 0; i < 40 && chain.size() < expected.size(); ++i) {
            if (at->focusPolicy() & Qt::TabFocus && at->isEnabled() && at->isVisible() &&
                !chain.contains(at->objectName()))
                chain << at->objectName();
            at = at->nextInFocusChain();
        }
        QStringList enabled;
        for (const QString& name : expected)
            if (w.findChild<QWidget*>(name)->isEnabled())
                enabled << name;
        QCOMPARE(chain, enabled);

        for (QWidget* widget : w.findChildren<QWidget*>()) {
            if (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty() ||
                widget->objectName() == QLatin1String("Text1") || !widget->parentWidget())
                continue;
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        }
    }

    // The plain window grows: the tree takes the room, Current Downloads the
    // height, the right column and the buttons follow the edges; the layout's
    // size is the least.
    void koslinResizes()
    {
        Window win(Skin::Koslin, writeLog(kLog));
        TestWindow& w = *win.w;
        QCOMPARE(w.minimumSize(), QSize(594, 393));
        QVERIFY(w.maximumSize().width() > 594);
        const QRect tree = win.tree()->geometry();
        const QRect list = w.control<QWidget>("txtGetright")->geometry();
        const QRect exit = w.control<QWidget>("cmdExit")->geometry();
        const QRect stats = w.control<QWidget>("Picture1")->geometry();
        w.resize(900, 600);
        QCOMPARE(win.tree()->geometry().size(), tree.size() + QSize(306, 207));
        QCOMPARE(w.control<QWidget>("txtGetright")->geometry(),
                 QRect(list.topLeft() + QPoint(306, 0), list.size() + QSize(0, 207)));
        QCOMPARE(w.control<QWidget>("cmdExit")->geometry(), exit.translated(306, 207));
        QCOMPARE(w.control<QWidget>("Picture1")->geometry(), stats.translated(306, 0));
        // Every control still inside the window.
        for (const char* name :
             {"cmdExit", "cmdReRead", "cmdSearchNext", "cmdGetLog", "txtGetright"})
            QVERIFY2(w.rect().contains(w.control<QWidget>(name)->geometry()), name);
        w.resize(594, 393);
        QCOMPARE(win.tree()->geometry(), tree);
    }

    // A click on the painted word "Monitor" toggles the box beside it.
    void monitorWord()
    {
        Window win(Skin::Tavrin, writeLog(kLog));
        TestWindow& w = *win.w;
        auto* box = w.control<QCheckBox>("chkMonitor");
        auto* word = w.control<HandleLabel>("lblMonitor");
        QVERIFY(!box->isChecked());
        QTest::mouseClick(word, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QTest::mouseClick(word, Qt::LeftButton);
        QVERIFY(!box->isChecked());
    }
};

QTEST_MAIN(TestWindowKeyboard)
#include "tst_window_keyboard.moc"
