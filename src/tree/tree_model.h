#pragma once

#include <QAbstractItemModel>
#include <QLatin1StringView>
#include <QString>

#include <memory>
#include <span>
#include <string>
#include <vector>

// The download tree: nodes with a key, a text, an image (1-based index into the
// tree's image list), a parent and a sorted flag for their children. Nodes are
// numbered 1..nodeCount() in order of addition (their position), whatever order
// they show in. A sorted flag keeps children in ascending order of their text
// without regard to case; equal texts keep their order of addition. The roots
// have a flag of their own, which clear() leaves as it is.
//
// Keys are compared with regard to case: the keys the tree is given differ by
// more than case, and an exact comparison is the cheapest. An empty key means
// "no key": such nodes may repeat and findKey("") finds nothing.
//
// Built for size: a node is a few integers; a node's key and text can be derived
// on demand from a NodeSource instead of being stored, so a million-node tree
// costs little more than its records.
class TreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int ImageRole = Qt::UserRole + 1;    // int, 1-based image index
    static constexpr int KeyRole = Qt::UserRole + 2;      // QString
    static constexpr int PositionRole = Qt::UserRole + 3; // int, order of addition

    // Supplies key and text of derived nodes from a tag the node carries. A
    // source must outlive the nodes made from it (until clear()).
    // A node's text as up to three Latin-1 pieces read one after the other
    // (a label, a value kept elsewhere, a suffix), for readers that need not
    // copy it.
    struct TextPieces {
        QLatin1StringView piece[3];
        int count = 0;
        // When set, the first piece is a label that every node of this owner
        // with the same id shares, so readers may work on it once.
        const void* labelOwner = nullptr;
        int labelId = -1;
        void add(QLatin1StringView text) { piece[count++] = text; }
    };

    class NodeSource {
    public:
        virtual ~NodeSource() = default;
        virtual QString key(quint64 tag) const = 0;
        virtual QString text(quint64 tag) const = 0;
        // The text (key) appended to out as Latin-1, giving true; false, with out
        // as it was, when a character is beyond Latin-1. A source whose texts are
        // Latin-1 at heart answers without making a QString; this default goes
        // through text() (key()).
        virtual bool appendLatin1Text(quint64 tag, std::string& out) const;
        virtual bool appendLatin1Key(quint64 tag, std::string& out) const;
        // The text as pieces, without copying; false when it has to be made
        // (use appendLatin1Text() then). The default gives false.
        virtual bool textPieces(quint64 tag, TextPieces& pieces) const;
        // A hint that the node will be read soon, given in stages a little
        // apart: stage 0 may start loading what leads to the node's data, stage
        // 1 the data itself, stage 2 what that leads to. The default does nothing.
        virtual void prefetch(quint64 tag, int stage) const;
        // A source that gives the same keys and texts and may be read on another
        // thread while this one is read on its own (each remembers what it
        // formats for itself); nullptr, the default, when there is none.
        virtual std::unique_ptr<NodeSource> copyForThread() const;
    };

    // Reads keys and texts on a thread of its own while the tree is not changed:
    // derived nodes are read through copies of their sources. Made on the
    // model's thread; of no use (isValid() false) when a source gives no copy.
    class ThreadReader {
    public:
        explicit ThreadReader(const TreeModel& model);
        ~ThreadReader();
        bool isValid() const { return valid_; }
        QString key(int position) const;
        QString text(int position) const;
        bool appendLatin1Text(int position, std::string& out) const;
        bool appendLatin1Key(int position, std::string& out) const;

    private:
        const TreeModel& model_;
        std::vector<std::unique_ptr<NodeSource>> copies_;
        std::vector<const NodeSource*> sources_; // by source number
        bool valid_ = true;
    };

    explicit TreeModel(QObject* parent = nullptr);
    ~TreeModel() override;

    // Removes every node; positions start again at 1.
    void clear();

    // Between beginFill() and endFill() nodes are added without a signal per
    // node; endFill() sorts what the flags ask for and resets the views once.
    // Until endFill(), children of a flagged node may still be in order of
    // addition, and findKey() sees only stored keys (derived keys are indexed
    // on the first lookup after the fill).
    void beginFill();
    void endFill();
    // Room for this many nodes in all, to spare regrowth during a big fill.
    void reserve(int nodes);

    // Adds a root (parent 0) or a last child of the node at parent. Gives the new
    // node's position, or 0 when the key is already taken or the parent does not
    // exist (nothing is added).
    int addNode(int parent, const QString& key, const QString& text, int image);
    // Adds a node whose key and text come from source->key(tag)/text(tag). The
    // caller guarantees that derived keys are unique among all keys. Gives the
    // new position, or 0 for a missing source or parent.
    int addDerivedNode(int parent, const NodeSource* source, quint64 tag, int image);
    // Adds n derived nodes as the last children of parent, in this order, as n
    // calls of addDerivedNode() would. Gives the first one's position, or 0.
    int addDerivedNodes(int parent, const NodeSource* source, const quint64* tags,
                        const int* images, int n);

    int nodeCount() const;
    // Position of the node with this key (stored or derived), or 0.
    int findKey(const QString& key) const;

    QString key(int position) const;
    QString text(int position) const;
    // The node's text (key) appended to out as Latin-1; false, with out as it
    // was, when it has a character beyond Latin-1 (then use text()).
    bool appendLatin1Text(int position, std::string& out) const;
    bool appendLatin1Key(int position, std::string& out) const;
    // The node's text as pieces that stay valid until the tree or its source
    // changes; false when there are none to give (then use the two above).
    bool textPieces(int position, TextPieces& pieces) const;
    int image(int position) const;
    int parentOf(int position) const; // 0 for a root
    bool isSorted(int position) const;
    bool rootsSorted() const;

    // A derived node given a text of its own keeps its key.
    void setText(int position, const QString& text);
    void setImage(int position, int image);
    // Setting a flag also sorts the children (roots) already present; clearing
    // it keeps their order, and later children are appended.
    void setSorted(int position, bool sorted);
    void setRootsSorted(bool sorted);

    // Children in display order; position 0 stands for the roots.
    int childCount(int position) const;
    int childAt(int position, int row) const;
    // The positions of the children in display order, for walks that read the
    // whole tree; valid until the tree changes.
    std::span<const qint32> children(int position) const;
    // A hint for a walk that will read this node soon: stages 0 to 3, given in
    // this order some nodes apart, bring its cells, its children list and its
    // source's data into the cache. Reading many nodes in display order jumps
    // across memory; the hint hides most of the waiting.
    void prefetch(int position, int stage) const;

    QModelIndex indexOfPosition(int position) const;
    int positionOf(const QModelIndex& index) const; // 0 for an invalid index

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

private:
    void link(int parent, int position);
    void applySorted(int position, bool sorted);
    void sortNow(int position);
    bool filling() const;

    struct Impl;
    std::unique_ptr<Impl> d;
};
