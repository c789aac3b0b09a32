#include "tree/tree_model.h"
#include "tree/tree_search.h"

#include <QTest>

// A tree whose screen order differs from its order of addition:
//   1 "Group b" (sorted)   children 2 "zeta.zip", 3 "Alpha.ZIP" -> shown Alpha, zeta
//   4 "Group a"            child 5 "URL: http://h/x"
// Roots sorted, so "Group a" shows first.
class TestTreeSearch : public QObject {
    Q_OBJECT
private:
    TreeModel model;

private Q_SLOTS:
    void initTestCase()
    {
        model.beginFill();
        const int b = model.addNode(0, QStringLiteral("G b"), QStringLiteral("Group b"), 3);
        model.setSorted(b, true);
        model.addNode(b, QStringLiteral("Entry: 1"), QStringLiteral("zeta.zip"), 5);
        model.addNode(b, QStringLiteral("Entry: 2"), QStringLiteral("Alpha.ZIP"), 5);
        const int a = model.addNode(0, QStringLiteral("G a"), QStringLiteral("Group a"), 3);
        model.addNode(a, QStringLiteral("URL Entry: 2"), QStringLiteral("URL: http://h/x"), 2);
        model.setRootsSorted(true);
        model.endFill();
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("found");
        const int first = int(SearchRange::FromFirst), next = int(SearchRange::Next),
                  prev = int(SearchRange::Previous);
        QTest::newRow("capitals find small letters") << "ZETA" << false << first << 0 << 2;
        QTest::newRow("with regard to case") << "ZETA" << true << first << 0 << 0;
        QTest::newRow("exact case") << "zeta" << true << first << 0 << 2;
        QTest::newRow("mixed case matches upper") << "alpha.zip" << false << first << 0 << 3;
        QTest::newRow("label is part of the text") << "URL" << true << first << 0 << 5;
        QTest::newRow("from first ignores selection") << "zip" << false << first << 3 << 2;
        QTest::newRow("next follows positions") << "zip" << false << next << 2 << 3;
        QTest::newRow("next skips the selected") << "Group" << false << next << 1 << 4;
        QTest::newRow("previous") << "Group" << false << prev << 4 << 1;
        QTest::newRow("next from last") << "" << false << next << 5 << 0;
        QTest::newRow("previous from first") << "" << false << prev << 1 << 0;
        QTest::newRow("empty steps forward") << "" << false << next << 2 << 3;
        QTest::newRow("empty steps back") << "" << false << prev << 2 << 1;
        QTest::newRow("empty from first") << "" << false << first << 4 << 1;
        QTest::newRow("no selection next") << "" << false << next << 0 << 0;
        QTest::newRow("no selection previous") << "" << false << prev << 0 << 0;
        QTest::newRow("no match") << "nothing" << false << first << 0 << 0;
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(int, range);
        QFETCH(int, selected);
        QFETCH(int, found);
        QCOMPARE(findNode(model, text, caseSensitive, static_cast<SearchRange>(range), selected), found);
    }

    // Without regard to case both texts are upper-cased a character at a time:
    // "ß" stays "ß" (it never becomes "SS"), on both sides, whether a node's
    // text is kept as Latin-1 or, holding a character beyond it, as UTF-16.
    void upperCaseCharacterByCharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("selected"); // 0: from the first node, else next from it
        QTest::addColumn<int>("found");

        QTest::newRow("straße finds straße") << QStringLiteral(u"straße") << false << 0 << 2;
        QTest::newRow("STRAßE finds straße") << QStringLiteral(u"STRAßE") << false << 0 << 2;
        QTest::newRow("and the UTF-16 node next")
            << QStringLiteral(u"straße") << false << 2 << 3;
        QTest::newRow("ß is no SS") << QStringLiteral(u"ß") << false << 0 << 2;
        QTest::newRow("SS finds only ss") << QStringLiteral("SS") << false << 0 << 1;
        QTest::newRow("SS nowhere else") << QStringLiteral("SS") << false << 1 << 0;
        QTest::newRow("STRASSE finds no straße") << QStringLiteral("STRASSE") << false << 0 << 0;
        QTest::newRow("ÿ and Ÿ alike") << QStringLiteral(u"Ÿes") << false << 0 << 4;
        QTest::newRow("ä finds Ä in UTF-16") << QStringLiteral(u"ärger") << false << 0 << 3;
        QTest::newRow("with regard to case") << QStringLiteral(u"ß") << true << 0 << 2;
        QTest::newRow("with regard to case, no Ä") << QStringLiteral(u"ärger") << true << 0 << 0;
    }

    void upperCaseCharacterByCharacter()
    {
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(int, selected);
        QFETCH(int, found);

        TreeModel tree;
        tree.beginFill();
        tree.addNode(0, QStringLiteral("Entry: 1"), QStringLiteral("glass.zip"), 5);
        tree.addNode(0, QStringLiteral("Entry: 2"), QStringLiteral(u"straße.zip"), 5);
        tree.addNode(0, QStringLiteral("Entry: 3"), QStringLiteral(u"Ärger – straße.zip"), 5);
        tree.addNode(0, QStringLiteral("Entry: 4"), QStringLiteral(u"ÿes.txt"), 5);
        tree.endFill();
        const SearchRange range = selected ? SearchRange::Next : SearchRange::FromFirst;
        QCOMPARE(findNode(tree, text, caseSensitive, range, selected), found);
    }

    void emptyTree()
    {
        TreeModel empty;
        QCOMPARE(findNode(empty, QString(), false, SearchRange::FromFirst, 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestTreeSearch)
#include "tst_tree_search.moc"
