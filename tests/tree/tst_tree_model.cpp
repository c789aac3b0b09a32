#include "tree/tree_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// Key and text are made from the tag: "K<tag>" and the text table entry.
class TableSource : public TreeModel::NodeSource {
public:
    explicit TableSource(QStringList texts = {}) : texts_(std::move(texts)) {}
    QString key(quint64 tag) const override { return QStringLiteral("K%1").arg(tag); }
    QString text(quint64 tag) const override
    {
        return tag < quint64(texts_.size()) ? texts_.at(int(tag)) : QStringLiteral("T%1").arg(tag);
    }

private:
    QStringList texts_;
};

// Texts of the children of position in display order.
QStringList childTexts(const TreeModel& m, int position)
{
    QStringList out;
    for (int r = 0; r < m.childCount(position); ++r)
        out << m.text(m.childAt(position, r));
    return out;
}

QList<int> childPositions(const TreeModel& m, int position)
{
    QList<int> out;
    for (int r = 0; r < m.childCount(position); ++r)
        out << m.childAt(position, r);
    return out;
}

// Every node's index leads back to its position, and the model's own walk by
// row agrees with childAt.
void checkIndexes(const TreeModel& m)
{
    for (int p = 1; p <= m.nodeCount(); ++p) {
        const QModelIndex i = m.indexOfPosition(p);
        QVERIFY(i.isValid());
        QCOMPARE(m.positionOf(i), p);
        QCOMPARE(i.data(TreeModel::PositionRole).toInt(), p);
        QCOMPARE(m.positionOf(i.parent()), m.parentOf(p));
        QCOMPARE(m.childAt(m.parentOf(p), i.row()), p);
        QCOMPARE(m.index(i.row(), 0, i.parent()), i);
    }
}

} // namespace

class TstTreeModel : public QObject {
    Q_OBJECT
private slots:
    void positionsFollowAddition();
    void keysAreUnique();
    void invalidArguments();
    void sortedFlag_data();
    void sortedFlag();
    void manyEqualTexts_data();
    void manyEqualTexts();
    void clearingFlagKeepsOrder_data();
    void clearingFlagKeepsOrder();
    void textChangeUnderSortedParent_data();
    void textChangeUnderSortedParent();
    void derivedNodes();
    void clearResetsPositions();
    void signalsOutsideFill();
    void modelContract();
    void largeFill();
};

void TstTreeModel::positionsFollowAddition()
{
    TreeModel m;
    m.setRootsSorted(true);
    QCOMPARE(m.addNode(0, "k1", "pear", 5), 1);
    QCOMPARE(m.addNode(0, "k2", "apple", 3), 2);
    QCOMPARE(m.addNode(1, "k3", "child", 2), 3);
    QCOMPARE(m.addNode(0, "k4", "fig", 6), 4);

    QCOMPARE(m.nodeCount(), 4);
    QCOMPARE(childPositions(m, 0), (QList<int>{2, 4, 1}));
    QCOMPARE(m.key(1), QStringLiteral("k1"));
    QCOMPARE(m.text(1), QStringLiteral("pear"));
    QCOMPARE(m.image(4), 6);
    QCOMPARE(m.parentOf(3), 1);
    QCOMPARE(m.parentOf(1), 0);
    QCOMPARE(m.findKey("k4"), 4);

    const QModelIndex pear = m.indexOfPosition(1);
    QCOMPARE(pear.row(), 2);
    QCOMPARE(pear.data().toString(), QStringLiteral("pear"));
    QCOMPARE(pear.data(TreeModel::KeyRole).toString(), QStringLiteral("k1"));
    QCOMPARE(pear.data(TreeModel::ImageRole).toInt(), 5);
    QCOMPARE(m.rowCount(pear), 1);
    QVERIFY(m.hasChildren(pear));
    QVERIFY(!m.hasChildren(m.indexOfPosition(3)));
    checkIndexes(m);
}

void TstTreeModel::keysAreUnique()
{
    TreeModel m;
    QCOMPARE(m.addNode(0, "Entry: 1", "a", 5), 1);
    // Taken, as a root or under another parent: nothing is added.
    QCOMPARE(m.addNode(0, "Entry: 1", "b", 5), 0);
    QCOMPARE(m.addNode(1, "Entry: 1", "b", 5), 0);
    QCOMPARE(m.nodeCount(), 1);
    QCOMPARE(m.childCount(1), 0);
    // Keys are compared with regard to case.
    QCOMPARE(m.addNode(0, "ENTRY: 1", "c", 5), 2);
    QCOMPARE(m.findKey("entry: 1"), 0);
    // An empty key is no key: it repeats freely and is never found.
    QCOMPARE(m.addNode(0, "", "d", 5), 3);
    QCOMPARE(m.addNode(0, "", "e", 5), 4);
    QCOMPARE(m.findKey(""), 0);
    // Also in a fill, and against derived keys once the fill is over.
    TableSource source;
    m.beginFill();
    QCOMPARE(m.addNode(0, "ENTRY: 1", "f", 5), 0);
    QCOMPARE(m.addDerivedNode(0, &source, 7, 5), 5);
    m.endFill();
    QCOMPARE(m.addNode(0, "K7", "g", 5), 0);
    QCOMPARE(m.nodeCount(), 5);
}

void TstTreeModel::invalidArguments()
{
    TreeModel m;
    TableSource source;
    QCOMPARE(m.addNode(1, "a", "a", 1), 0);
    QCOMPARE(m.addNode(-1, "a", "a", 1), 0);
    QCOMPARE(m.addDerivedNode(0, nullptr, 1, 1), 0);
    QCOMPARE(m.addDerivedNode(3, &source, 1, 1), 0);
    QCOMPARE(m.nodeCount(), 0);
    QCOMPARE(m.text(1), QString());
    QCOMPARE(m.key(0), QString());
    QCOMPARE(m.childAt(0, 0), 0);
    QCOMPARE(m.childCount(5), 0);
    QVERIFY(!m.indexOfPosition(1).isValid());
    QCOMPARE(m.positionOf(QModelIndex()), 0);
    m.setText(4, "x"); // ignored
    m.setSorted(4, true);
    QCOMPARE(m.nodeCount(), 0);

    // An index from before a clear leads nowhere.
    m.addNode(0, "a", "a", 1);
    m.addNode(0, "b", "b", 1);
    const QModelIndex stale = m.indexOfPosition(2);
    m.clear();
    m.addNode(0, "c", "c", 1);
    QCOMPARE(m.positionOf(stale), 0);
    QCOMPARE(m.data(stale), QVariant());
}

// Children added in the order given; the flag is set before or after they are
// added, in a fill or not. Equal texts (also those differing only in case) keep
// their order of addition.
enum FlagAt { BeforeFill, First, Afterwards };

void TstTreeModel::sortedFlag_data()
{
    QTest::addColumn<bool>("inFill");
    QTest::addColumn<int>("flagAt");
    QTest::addColumn<bool>("roots");
    for (bool roots : {false, true}) {
        const char* what = roots ? "roots" : "children";
        QTest::addRow("%s outside fill, flag first", what) << false << int(First) << roots;
        QTest::addRow("%s outside fill, flag afterwards", what)
            << false << int(Afterwards) << roots;
        QTest::addRow("%s in fill, flag before fill", what) << true << int(BeforeFill) << roots;
        QTest::addRow("%s in fill, flag first", what) << true << int(First) << roots;
        QTest::addRow("%s in fill, flag afterwards", what) << true << int(Afterwards) << roots;
    }
}

void TstTreeModel::sortedFlag()
{
    QFETCH(bool, inFill);
    QFETCH(int, flagAt);
    QFETCH(bool, roots);
    const QStringList texts{"beta", "Alpha", "alpha", "Beta", "gamma", "ALPHA", "", "alpha2"};
    const QStringList expected{"", "Alpha", "alpha", "ALPHA", "alpha2", "beta", "Beta", "gamma"};

    TreeModel m;
    TableSource source(texts);
    int parent = 0;
    if (!roots)
        parent = m.addNode(0, "group", "group", 3);
    const auto setFlag = [&] {
        if (roots)
            m.setRootsSorted(true);
        else
            m.setSorted(parent, true);
    };
    if (flagAt == BeforeFill)
        setFlag();
    if (inFill)
        m.beginFill();
    if (flagAt == First)
        setFlag();
    // Stored and derived children mixed.
    for (int i = 0; i < texts.size(); ++i) {
        if (i % 2)
            m.addNode(parent, QStringLiteral("S%1").arg(i), texts[i], 5);
        else
            m.addDerivedNode(parent, &source, quint64(i), 5);
    }
    if (flagAt == Afterwards)
        setFlag();
    if (inFill)
        m.endFill();

    QStringList shown = childTexts(m, parent);
    if (roots)
        shown.removeAll("group");
    QCOMPARE(shown, expected);
    QVERIFY(roots ? m.rootsSorted() : m.isSorted(parent));
    checkIndexes(m);
}

// Enough equal texts that an unstable sort would show it.
void TstTreeModel::manyEqualTexts_data()
{
    QTest::addColumn<bool>("inFill");
    QTest::addColumn<bool>("flagFirst");
    QTest::newRow("outside fill, flag first") << false << true;
    QTest::newRow("outside fill, flag afterwards") << false << false;
    QTest::newRow("in fill, flag first") << true << true;
    QTest::newRow("in fill, flag afterwards") << true << false;
}

void TstTreeModel::manyEqualTexts()
{
    QFETCH(bool, inFill);
    QFETCH(bool, flagFirst);
    const QStringList spellings{"same", "SAME", "b", "Same", "a", "sAmE"};
    TreeModel m;
    if (inFill)
        m.beginFill();
    if (flagFirst)
        m.setRootsSorted(true);
    for (int i = 0; i < 300; ++i)
        m.addNode(0, QString::number(i), spellings[(i * 5) % spellings.size()], 1);
    if (!flagFirst)
        m.setRootsSorted(true);
    if (inFill)
        m.endFill();

    QCOMPARE(m.childCount(0), 300);
    for (int r = 1; r < 300; ++r) {
        const int before = m.childAt(0, r - 1);
        const int after = m.childAt(0, r);
        const int c = QString::compare(m.text(before), m.text(after), Qt::CaseInsensitive);
        QVERIFY2(c < 0 || (c == 0 && before < after), qPrintable(QString::number(r)));
    }
}

// Clearing the flag keeps the order in force; later children go to the end.
void TstTreeModel::clearingFlagKeepsOrder_data()
{
    QTest::addColumn<bool>("inFill");
    QTest::newRow("outside fill") << false;
    QTest::newRow("in fill") << true;
}

void TstTreeModel::clearingFlagKeepsOrder()
{
    QFETCH(bool, inFill);
    TreeModel m;
    if (inFill)
        m.beginFill();
    m.setRootsSorted(true);
    m.addNode(0, "1", "c", 1);
    m.addNode(0, "2", "a", 1);
    m.setRootsSorted(false);
    m.addNode(0, "3", "b", 1);
    m.addNode(0, "4", "A", 1);
    if (inFill)
        m.endFill();
    QCOMPARE(childTexts(m, 0), (QStringList{"a", "c", "b", "A"}));
    QVERIFY(!m.rootsSorted());

    // Switched on again, everything present is sorted; equal texts by position.
    m.setRootsSorted(true);
    QCOMPARE(childPositions(m, 0), (QList<int>{2, 4, 3, 1}));
    checkIndexes(m);
}

// A group node is added with its key alone and gets its text afterwards; under
// sorted roots it must end up in its place.
void TstTreeModel::textChangeUnderSortedParent_data()
{
    QTest::addColumn<bool>("inFill");
    QTest::newRow("outside fill") << false;
    QTest::newRow("in fill") << true;
}

void TstTreeModel::textChangeUnderSortedParent()
{
    QFETCH(bool, inFill);
    TreeModel m;
    TableSource source({"x", "m"});
    m.setRootsSorted(true);
    if (inFill)
        m.beginFill();
    for (const char* folder : {"http://b/", "http://d/", "http://a/", "http://c/"}) {
        const QString key = QStringLiteral("URL: ") + folder;
        QCOMPARE(m.findKey(key), 0);
        const int group = m.addNode(0, key, QString(), 0);
        m.setText(group, folder);
        m.setImage(group, 3);
        m.setSorted(group, true);
        QCOMPARE(m.findKey(key), group);
    }
    const int derived = m.addDerivedNode(1, &source, 0, 5);
    m.addDerivedNode(1, &source, 1, 5);
    if (inFill)
        m.endFill();
    QCOMPARE(childTexts(m, 0), (QStringList{"http://a/", "http://b/", "http://c/", "http://d/"}));
    QCOMPARE(m.image(1), 3);
    QCOMPARE(childTexts(m, 1), (QStringList{"m", "x"}));

    // Moves up and down among its siblings; a derived node keeps its key.
    m.setText(1, "http://z/");
    QCOMPARE(childPositions(m, 0), (QList<int>{3, 4, 2, 1}));
    m.setText(1, "http://0/");
    QCOMPARE(childPositions(m, 0), (QList<int>{1, 3, 4, 2}));
    m.setText(derived, "a");
    QCOMPARE(m.key(derived), QStringLiteral("K0"));
    QCOMPARE(m.findKey("K0"), derived);
    QCOMPARE(childTexts(m, 1), (QStringList{"a", "m"}));
    checkIndexes(m);
}

void TstTreeModel::derivedNodes()
{
    TreeModel m;
    TableSource source({"zeta", "eta", "theta"});
    TableSource other({"one"});
    m.beginFill();
    const int group = m.addNode(0, "G", "group", 3);
    for (quint64 t = 0; t < 3; ++t)
        QCOMPARE(m.addDerivedNode(group, &source, t, 5), int(t) + 2);
    // In a fill only stored keys are looked up, fast.
    QCOMPARE(m.findKey("G"), group);
    QCOMPARE(m.findKey("K1"), 0);
    m.endFill();

    QCOMPARE(m.key(3), QStringLiteral("K1"));
    QCOMPARE(m.text(3), QStringLiteral("eta"));
    QCOMPARE(m.findKey("K0"), 2);
    QCOMPARE(m.findKey("K2"), 4);
    QCOMPARE(m.findKey("K3"), 0);
    const QModelIndex i = m.indexOfPosition(4);
    QCOMPARE(i.data().toString(), QStringLiteral("theta"));
    QCOMPARE(i.data(TreeModel::KeyRole).toString(), QStringLiteral("K2"));
    QCOMPARE(i.data(TreeModel::ImageRole).toInt(), 5);

    // Added after the lookup index was built, from another source.
    const int late = m.addDerivedNode(4, &other, 100, 1);
    QCOMPARE(m.findKey("K100"), late);
    QCOMPARE(m.text(late), QStringLiteral("T100"));
    checkIndexes(m);
}

void TstTreeModel::clearResetsPositions()
{
    TreeModel m;
    TableSource source;
    m.setRootsSorted(true);
    m.addNode(0, "a", "a", 1);
    m.addDerivedNode(1, &source, 1, 1);
    QCOMPARE(m.findKey("K1"), 2);

    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    m.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m.nodeCount(), 0);
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.findKey("a"), 0);
    QCOMPARE(m.findKey("K1"), 0);
    QVERIFY(m.rootsSorted()); // a property of the tree, not of its nodes

    QCOMPARE(m.addNode(0, "a", "b", 1), 1);
    QCOMPARE(m.addDerivedNode(0, &source, 1, 1), 2);
    QCOMPARE(m.findKey("K1"), 2);

    // A clear inside a fill is covered by the fill's own reset.
    m.beginFill();
    m.addNode(0, "x", "x", 1);
    m.clear();
    QCOMPARE(m.addNode(0, "y", "y", 1), 1);
    m.endFill();
    QCOMPARE(reset.count(), 2);
    QCOMPARE(m.nodeCount(), 1);
}

void TstTreeModel::signalsOutsideFill()
{
    TreeModel m;
    m.setRootsSorted(true);
    m.addNode(0, "b", "b", 1);
    m.addNode(0, "d", "d", 1);

    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    QSignalSpy moved(&m, &QAbstractItemModel::rowsMoved);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    QSignalSpy layout(&m, &QAbstractItemModel::layoutChanged);

    m.addNode(0, "c", "c", 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1); // between b and d

    const QPersistentModelIndex d(m.indexOfPosition(2));
    m.setText(2, "a");
    QCOMPARE(moved.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(d.row(), 0);

    m.setRootsSorted(false);
    m.addNode(0, "a2", "0", 1);
    QCOMPARE(inserted.last().at(1).toInt(), 3);
    m.setRootsSorted(true);
    QCOMPARE(layout.count(), 1);
    QCOMPARE(d.row(), 1);
    QCOMPARE(m.positionOf(d), 2);
    QCOMPARE(reset.count(), 0);

    // A fill gives one reset and nothing else.
    inserted.clear();
    m.beginFill();
    m.addNode(0, "e", "e", 1);
    m.setSorted(5, true);
    m.addNode(5, "f", "f", 1);
    m.endFill();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(inserted.count(), 0);
}

void TstTreeModel::modelContract()
{
    TreeModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TableSource source;

    m.beginFill();
    m.setRootsSorted(true);
    for (int g = 0; g < 5; ++g) {
        const int group = m.addNode(0, QStringLiteral("G%1").arg(g), QString(), 3);
        m.setText(group, QStringLiteral("group %1").arg(4 - g));
        m.setSorted(group, true);
        for (int e = 0; e < 4; ++e) {
            const quint64 tag = quint64(g * 100 + e * 10);
            const int entry = m.addDerivedNode(group, &source, tag, 5);
            for (int detail = 1; detail <= 3; ++detail)
                m.addDerivedNode(entry, &source, tag + quint64(detail), 2);
        }
    }
    m.endFill();
    QCOMPARE(m.nodeCount(), 5 + 5 * 4 * 4);
    checkIndexes(m);

    // Changes outside a fill, watched by the tester.
    m.addNode(0, "G9", "group 2b", 3);
    m.addNode(m.findKey("G9"), "E9", "x", 5);
    m.setText(m.findKey("G0"), "aaa");
    m.setText(m.findKey("K110"), "zzz");
    m.setImage(m.findKey("G1"), 6);
    m.setRootsSorted(false);
    m.setText(m.findKey("G2"), "zzz");
    m.addNode(0, "G10", "first?", 3);
    m.setRootsSorted(true);
    QCOMPARE(m.text(m.childAt(0, 0)), QStringLiteral("aaa"));
    QCOMPARE(m.text(m.childAt(0, 1)), QStringLiteral("first?"));
    checkIndexes(m);
    m.clear();
    m.addNode(0, "a", "a", 1);
    checkIndexes(m);
}

// A tree in the shape of a big grouped fill: groups keyed by a stored key that is
// looked up for every record, downloads and details derived.
void TstTreeModel::largeFill()
{
    constexpr int records = 50000;
    constexpr int groups = 997;
    TreeModel m;
    TableSource source;
    m.setRootsSorted(true);
    m.beginFill();
    m.reserve(records * 5 + groups);
    for (int r = 0; r < records; ++r) {
        const QString groupKey = QStringLiteral("Local: %1").arg((r * 7919) % groups);
        int group = m.findKey(groupKey);
        if (!group) {
            group = m.addNode(0, groupKey, QString(), 0);
            m.setText(group, QStringLiteral("folder %1").arg((r * 7919) % groups));
            m.setSorted(group, true);
        }
        // Texts descend within a group, so every group really needs its sort.
        const quint64 tag = quint64(records - r) * 8;
        const int entry = m.addDerivedNode(group, &source, tag, 5);
        for (quint64 detail = 1; detail <= 3; ++detail)
            m.addDerivedNode(entry, &source, tag + detail, 2);
    }
    m.endFill();

    QCOMPARE(m.nodeCount(), records * 4 + groups);
    QCOMPARE(m.childCount(0), groups);
    for (int g = 0; g < groups; g += 97) {
        const QStringList texts = childTexts(m, m.childAt(0, g));
        QVERIFY(!texts.isEmpty());
        for (int i = 1; i < texts.size(); ++i)
            QVERIFY(QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive) <= 0);
    }
    const int last = m.nodeCount();
    QCOMPARE(m.findKey(m.key(last)), last);
    QCOMPARE(m.findKey(QStringLiteral("Local: 5")), m.findKey(QStringLiteral("Local: 5")));
    QVERIFY(m.findKey(QStringLiteral("Local: 5")) > 0);
    for (int p = 1; p <= last; p += 1013)
        QCOMPARE(m.positionOf(m.indexOfPosition(p)), p);
}

QTEST_GUILESS_MAIN(TstTreeModel)
#include "tst_tree_model.moc"
