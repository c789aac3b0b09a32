#include "tree/tree_model.h"

#include "records/large_pages.h"
#include "records/record_text.h"

#include <QHash>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <span>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

// meta word of a node: sorted flag, "sort pending at endFill" flag, source number
// (22 bits), image (the top 8 bits; 0xFF: kept aside).
constexpr quint32 SortedBit = 1u;
constexpr quint32 DirtyBit = 2u;
constexpr int SourceShift = 2;
constexpr quint32 SourceMask = 0x3FFFFFu;
constexpr int ImageShift = 24;
constexpr quint32 ImageMask = 0xFFu << ImageShift;

size_t hashKey(const QString& key)
{
    return qHash(key, QHashSeed::globalSeed());
}

int compareTexts(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

// Case folding of the Latin-1 characters, as QString::compare() without regard
// to case folds them (code unit by code unit).
const std::array<char16_t, 256>& latin1Folding()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[std::size_t(c)] = QChar(char16_t(c)).toCaseFolded().unicode();
        return t;
    }();
    return table;
}

// QString::compare(a, b, Qt::CaseInsensitive) for Latin-1 texts: the first
// differing folded character decides, else the shorter text comes first.
int compareLatin1Folded(std::string_view a, std::string_view b)
{
    const auto& fold = latin1Folding();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = int(fold[static_cast<unsigned char>(a[i])]) -
                      int(fold[static_cast<unsigned char>(b[i])]);
        if (d)
            return d;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T, typename A> void release(std::vector<T, A>& v)
{
    std::vector<T, A>().swap(v);
}

// Open-addressing set of positions found by key. It keeps no keys: a candidate's
// key is read back from the tree, so an entry costs one int (two to four with the
// free slots). Entries are never removed, only cleared all at once.
class KeyIndex {
public:
    template <typename KeyOf> int find(const QString& key, size_t hash, const KeyOf& keyOf) const
    {
        if (slots_.empty())
            return 0;
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const qint32 position = slots_[i];
            if (position == 0)
                return 0;
            if (keyOf(position) == key)
                return position;
        }
    }

    template <typename HashOf> void reserve(size_t entries, const HashOf& hashOf)
    {
        // At most half full, so probe runs stay short.
        const size_t wanted = std::bit_ceil(std::max<size_t>(16, entries * 2));
        if (wanted <= slots_.size())
            return;
        std::vector<qint32> old(wanted, 0);
        old.swap(slots_);
        for (qint32 position : old)
            if (position != 0)
                place(position, hashOf(position));
    }

    template <typename HashOf> void insert(int position, size_t hash, const HashOf& hashOf)
    {
        reserve(count_ + 1, hashOf);
        place(position, hash);
        ++count_;
    }

    size_t count() const { return count_; }

    void clear()
    {
        release(slots_);
        count_ = 0;
    }

private:
    void place(qint32 position, size_t hash)
    {
        const size_t mask = slots_.size() - 1;
        size_t i = hash & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = position;
    }

    std::vector<qint32> slots_;
    size_t count_ = 0;
};

} // namespace

struct TreeModel::Impl {
    // Per node, indexed by position; entry 0 stands for the roots.
    template <typename T> using Array = std::vector<T, LargePageAllocator<T>>;
    // One node in 20 bytes, read together: a walk over the tree touches one
    // cache line per node rather than one per field.
    struct Node {
        quint32 tag;  // derived: the source's tag; stored: index into keys/texts
        qint32 up;    // parent position
        qint32 row;   // current display row under the parent
        qint32 list;  // index into lists, -1 while childless
        quint32 meta; // SortedBit, DirtyBit, source number, image (see MetaImage)
    };
    Array<Node> nodes;

    std::vector<QString> keys; // stored nodes only
    std::vector<QString> texts;
    // Tags and images too large for the narrow per-node arrays (never, in the
    // download tree), by position.
    QHash<int, quint64> bigTags;
    QHash<int, int> bigImages;
    static constexpr quint32 kBigTag = 0xFFFFFFFFu;
    static constexpr quint8 kBigImage = 0xFF;

    quint64 tagAt(int position) const
    {
        const quint32 t = nodes[position].tag;
        return Q_LIKELY(t != kBigTag) ? t : bigTag(position);
    }
    Q_NEVER_INLINE quint64 bigTag(int position) const { return bigTags.value(position); }

    void setTag(int position, quint64 t)
    {
        if (t < kBigTag) {
            nodes[position].tag = quint32(t);
            if (!bigTags.isEmpty())
                bigTags.remove(position);
        } else {
            nodes[position].tag = kBigTag;
            bigTags.insert(position, t);
        }
    }

    int imageAt(int position) const
    {
        const quint8 i = quint8(nodes[position].meta >> ImageShift);
        return i != kBigImage ? i : bigImages.value(position);
    }

    void setImageAt(int position, int value)
    {
        quint32& meta = nodes[position].meta;
        meta &= ~ImageMask;
        if (value >= 0 && value < kBigImage) {
            meta |= quint32(value) << ImageShift;
            if (!bigImages.isEmpty())
                bigImages.remove(position);
        } else {
            meta |= quint32(kBigImage) << ImageShift;
            bigImages.insert(position, value);
        }
    }

    std::vector<const NodeSource*> sources{nullptr};
    QHash<const NodeSource*, quint32> sourceNumbers;
    const NodeSource* lastSource = nullptr; // a fill adds all its nodes from one source
    quint32 lastSourceNumber = 0;

    // Children lists live in one arena. A full list grows by doubling, in place
    // when it ends the arena, else by moving to its end; the holes are collected
    // when they make up half the arena, and endFill() packs every list tightly.
    struct ChildList {
        qint32 offset;
        qint32 size;
        qint32 capacity;
    };
    Array<ChildList> lists;
    Array<qint32> arena;
    size_t holes = 0;

    KeyIndex storedKeys;
    KeyIndex derivedKeys;
    int derivedScanned = 0; // derived nodes up to this position are in derivedKeys

    int fillDepth = 0;
    std::vector<qint32> dirty; // lists whose sorting waits for endFill()

    Impl() { reset(false); }

    int count() const { return int(nodes.size()) - 1; }
    bool valid(int position) const { return position >= 1 && position <= count(); }
    bool sorted(int position) const { return nodes[position].meta & SortedBit; }
    quint32 sourceNumber(int position) const
    {
        return (nodes[position].meta >> SourceShift) & SourceMask;
    }

    // Keys and texts, with derived nodes read through `from` (the sources by
    // number: these or a thread reader's copies).
    QString keyOf(int position, const NodeSource* const* from = nullptr) const
    {
        const quint32 s = sourceNumber(position);
        return s ? (from ? from : sources.data())[s]->key(tagAt(position))
                 : keys[nodes[position].tag];
    }

    QString textOf(int position, const NodeSource* const* from = nullptr) const
    {
        const quint32 s = sourceNumber(position);
        return s ? (from ? from : sources.data())[s]->text(tagAt(position))
                 : texts[nodes[position].tag];
    }

    bool appendTextOf(int position, std::string& out, const NodeSource* const* from = nullptr) const
    {
        const quint32 s = sourceNumber(position);
        return s ? (from ? from : sources.data())[s]->appendLatin1Text(tagAt(position), out)
                 : appendIfLatin1(texts[nodes[position].tag], out);
    }

    bool appendKeyOf(int position, std::string& out, const NodeSource* const* from = nullptr) const
    {
        const quint32 s = sourceNumber(position);
        return s ? (from ? from : sources.data())[s]->appendLatin1Key(tagAt(position), out)
                 : appendIfLatin1(keys[nodes[position].tag], out);
    }

    // A node's key or text appended as Latin-1 for the public readers: the empty
    // text for a position that is not there; out as it was when it goes beyond.
    bool appendLatin1(int position, bool key, std::string& out,
                      const NodeSource* const* from = nullptr) const
    {
        if (!valid(position))
            return true;
        const std::size_t at = out.size();
        if (key ? appendKeyOf(position, out, from) : appendTextOf(position, out, from))
            return true;
        out.resize(at);
        return false;
    }

    void reset(bool rootsSorted)
    {
        release(nodes);
        bigTags.clear();
        bigImages.clear();
        release(keys);
        release(texts);
        release(lists);
        release(arena);
        release(dirty);
        sources.assign(1, nullptr);
        sourceNumbers.clear();
        lastSource = nullptr;
        lastSourceNumber = 0;
        holes = 0;
        storedKeys.clear();
        derivedKeys.clear();
        derivedScanned = 0;
        nodes.push_back({0, -1, 0, -1, rootsSorted ? SortedBit : 0});
    }

    void reserve(int count)
    {
        const size_t n = size_t(std::max(count, 0)) + 1;
        nodes.reserve(n);
        arena.reserve(n);
    }

    quint32 numberOf(const NodeSource* source)
    {
        if (source == lastSource && lastSource)
            return lastSourceNumber;
        auto it = sourceNumbers.constFind(source);
        quint32 number;
        if (it != sourceNumbers.constEnd()) {
            number = *it;
        } else {
            number = quint32(sources.size());
            sources.push_back(source);
            sourceNumbers.insert(source, number);
        }
        lastSource = source;
        lastSourceNumber = number;
        return number;
    }

    int newNode(int parent, int img, quint64 t, quint32 source)
    {
        const quint32 meta = (source & SourceMask) << SourceShift;
        if (Q_LIKELY(t < kBigTag && img >= 0 && img < kBigImage)) {
            // The usual node: everything fits in its record.
            nodes.push_back({quint32(t), parent, 0, -1, meta | (quint32(img) << ImageShift)});
            return count();
        }
        nodes.push_back({0, parent, 0, -1, meta});
        const int position = count();
        setTag(position, t);
        setImageAt(position, img);
        return position;
    }

    void indexStoredKey(int position, const QString& key)
    {
        if (!key.isEmpty())
            storedKeys.insert(position, hashKey(key),
                              [this](int p) { return hashKey(keys[nodes[p].tag]); });
    }

    int findStored(const QString& key, size_t hash) const
    {
        return storedKeys.find(key, hash,
                               [this](int p) -> const QString& { return keys[nodes[p].tag]; });
    }

    int findDerived(const QString& key, size_t hash)
    {
        if (derivedScanned < count()) {
            const auto hashOf = [this](int p) { return hashKey(keyOf(p)); };
            size_t added = 0;
            for (int p = derivedScanned + 1; p <= count(); ++p)
                added += sourceNumber(p) != 0;
            derivedKeys.reserve(derivedKeys.count() + added, hashOf);
            for (int p = derivedScanned + 1; p <= count(); ++p) {
                if (sourceNumber(p) == 0)
                    continue;
                const QString k = keyOf(p);
                if (!k.isEmpty())
                    derivedKeys.insert(p, hashKey(k), hashOf);
            }
            derivedScanned = count();
        }
        return derivedKeys.find(key, hash, [this](int p) { return keyOf(p); });
    }

    // Gives a derived node a text of its own; its key is kept, as a stored key.
    void storeText(int position, const QString& text)
    {
        if (sourceNumber(position) == 0) {
            texts[nodes[position].tag] = text;
            return;
        }
        const QString key = keyOf(position);
        setTag(position, keys.size());
        keys.push_back(key);
        texts.push_back(text);
        nodes[position].meta &= SortedBit | DirtyBit | ImageMask;
        indexStoredKey(position, key);
    }

    // --- children lists

    std::span<qint32> children(int position)
    {
        const qint32 l = nodes[position].list;
        if (l < 0)
            return {};
        return {arena.data() + lists[l].offset, size_t(lists[l].size)};
    }

    int childCount(int position) const
    {
        const qint32 l = nodes[position].list;
        return l < 0 ? 0 : lists[l].size;
    }

    // Moves every list down over the holes, in place: taken in the order in
    // which they lie, a list only ever moves onto ground already passed.
    void pack(bool tight)
    {
        std::vector<qint32> byOffset(lists.size());
        for (size_t i = 0; i < lists.size(); ++i)
            byOffset[i] = qint32(i);
        const auto byPlace = [this](qint32 a, qint32 b) {
            return lists[a].offset < lists[b].offset;
        };
        if (!std::is_sorted(byOffset.begin(), byOffset.end(), byPlace)) {
            // Offsets are distinct and non-negative: four passes of a radix
            // sort, a byte each, order them in linear time.
            std::vector<qint32> other(byOffset.size());
            for (int shift = 0; shift < 32; shift += 8) {
                std::size_t start[257] = {};
                for (const qint32 i : byOffset)
                    ++start[((quint32(lists[i].offset) >> shift) & 0xFF) + 1];
                for (std::size_t k = 1; k < 257; ++k)
                    start[k] += start[k - 1];
                for (const qint32 i : byOffset)
                    other[start[(quint32(lists[i].offset) >> shift) & 0xFF]++] = i;
                byOffset.swap(other);
            }
        }
        qint32 cursor = 0;
        for (const qint32 i : byOffset) {
            ChildList& l = lists[i];
            if (l.offset != cursor && l.size > 0)
                std::memmove(arena.data() + cursor, arena.data() + l.offset,
                             l.size * sizeof(qint32));
            l.offset = cursor;
            if (tight)
                l.capacity = l.size;
            cursor += l.capacity;
        }
        arena.resize(size_t(cursor));
        holes = 0;
    }

    // Makes room for one more child of position and gives its list.
    ChildList& roomForOne(int position) { return roomFor(position, 1); }

    // Makes room for n more children of position and gives its list.
    ChildList& roomFor(int position, qint32 n)
    {
        if (nodes[position].list < 0) {
            nodes[position].list = qint32(lists.size());
            lists.push_back({qint32(arena.size()), 0, 0});
        }
        ChildList* l = &lists[nodes[position].list];
        if (l->size + n <= l->capacity)
            return *l;
        qint32 capacity = l->capacity ? l->capacity * 2 : 4;
        while (capacity < l->size + n)
            capacity *= 2;
        if (size_t(l->offset + l->capacity) != arena.size()) {
            if (holes * 2 > arena.size())
                pack(false);
        }
        if (size_t(l->offset + l->capacity) != arena.size()) {
            const size_t offset = arena.size();
            arena.resize(offset + capacity);
            std::memcpy(arena.data() + offset, arena.data() + l->offset, l->size * sizeof(qint32));
            holes += l->capacity;
            l->offset = qint32(offset);
        } else {
            arena.resize(l->offset + capacity);
        }
        l->capacity = capacity;
        return *l;
    }

    void renumber(int position, int from, int to)
    {
        const auto kids = children(position);
        for (int r = from; r < to; ++r)
            nodes[kids[r]].row = r;
    }

    void insertChild(int position, int at, int child)
    {
        ChildList& l = roomForOne(position);
        qint32* kids = arena.data() + l.offset;
        std::memmove(kids + at + 1, kids + at, (l.size - at) * sizeof(qint32));
        kids[at] = child;
        ++l.size;
        renumber(position, at, l.size);
    }

    void moveChild(int position, int from, int to)
    {
        const auto kids = children(position);
        if (to > from)
            std::rotate(kids.begin() + from, kids.begin() + from + 1, kids.begin() + to + 1);
        else
            std::rotate(kids.begin() + to, kids.begin() + from, kids.begin() + from + 1);
        renumber(position, std::min(from, to), std::max(from, to) + 1);
    }

    // Row that a child with this text and position takes among the children of a
    // sorted node, leaving out the child at row skip (-1: none).
    int sortedRow(int position, const QString& text, int child, int skip)
    {
        const auto kids = children(position);
        int lo = 0;
        int hi = int(kids.size()) - (skip >= 0 ? 1 : 0);
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const int other = kids[skip >= 0 && mid >= skip ? mid + 1 : mid];
            const int c = compareTexts(textOf(other), text);
            if (c < 0 || (c == 0 && other < child))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    struct SortItem {
        quint64 lead[3]; // the first 24 folded bytes, big-endian, zero-filled
        qint32 child;
        qint32 wide;    // index into the wide texts, or kFolded / kRaw
        quint32 offset; // in rest: the folded bytes after the first 24,
        quint32 size;   // or all of a raw text; size: of the whole text
    };
    // What a sort works in, kept between the many small sorts of one fill; one
    // per thread that sorts.
    struct SortScratch {
        std::vector<SortItem, LargePageAllocator<SortItem>> items;
        std::vector<char, LargePageAllocator<char>> rest;
        std::string text;
    };
    SortScratch sortScratch;

    // Children in sorted order. Texts are read once each: derived texts are
    // built on every read, and a sort reads each one about log n times. A
    // Latin-1 text is folded once; folded texts then compare as bytes, by their
    // first 24 (kept in the item) and then by the rest. A text with a
    // character that folds beyond Latin-1 (the micro sign) is compared through
    // the folding table, and any other text as a QString.
    void sortItemsOf(int position, SortScratch& scratch, const NodeSource* const* from = nullptr)
    {
        const auto kids = children(position);
        constexpr qint32 kFolded = -1; // Latin-1, folded
        constexpr qint32 kRaw = -2;    // Latin-1, as it is
        constexpr std::size_t kWords = 3;
        constexpr std::size_t kLead = 8 * kWords;
        using Item = SortItem;
        const auto& fold = latin1Folding();
        auto& rest = scratch.rest;
        auto& items = scratch.items;
        std::vector<QString> wideTexts;
        std::string& text = scratch.text;
        rest.clear();
        items.clear();
        items.reserve(kids.size());
        for (qint32 c : kids) {
            text.clear();
            if (!appendTextOf(c, text, from)) {
                items.push_back({{0, 0, 0}, c, qint32(wideTexts.size()), 0, 0});
                wideTexts.push_back(textOf(c, from));
                continue;
            }
            const quint32 offset = quint32(rest.size());
            const std::size_t size = text.size();
            // Fold into place, noting a character that folds beyond Latin-1.
            char16_t beyond = 0;
            for (char& ch : text) {
                const char16_t f = fold[static_cast<unsigned char>(ch)];
                beyond |= f & 0xFF00;
                ch = char(f);
            }
            if (beyond) {
                text.clear();
                appendTextOf(c, text, from); // as it was
                rest.insert(rest.end(), text.begin(), text.end());
                items.push_back({{0, 0, 0}, c, kRaw, offset, quint32(size)});
                continue;
            }
            SortItem item{{0, 0, 0}, c, kFolded, offset, quint32(size)};
            char lead[kLead] = {};
            std::memcpy(lead, text.data(), std::min(size, kLead));
            for (std::size_t w = 0; w < kWords; ++w) {
                quint64 v = 0;
                for (int k = 0; k < 8; ++k)
                    v = (v << 8) | static_cast<unsigned char>(lead[w * 8 + k]);
                item.lead[w] = v;
            }
            if (size > kLead)
                rest.insert(rest.end(), text.begin() + kLead, text.end());
            items.push_back(item);
        }
        // The whole of a Latin-1 item's text (folded, for a folded one).
        const auto bytesOf = [&](const Item& i) {
            if (i.wide == kRaw)
                return std::string(rest.data() + i.offset, i.size);
            std::string whole;
            for (std::size_t k = 0; k < std::min<std::size_t>(i.size, kLead); ++k)
                whole.push_back(char(i.lead[k / 8] >> (56 - 8 * (k % 8))));
            if (i.size > kLead)
                whole.append(rest.data() + i.offset, i.size - kLead);
            return whole;
        };
        const auto textOfItem = [&](const Item& i) {
            if (i.wide >= 0)
                return wideTexts[std::size_t(i.wide)];
            const std::string bytes = bytesOf(i);
            return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
        };
        const auto less = [&](const Item& a, const Item& b) {
            int c;
            if (a.wide == kFolded && b.wide == kFolded) {
                for (std::size_t w = 0; w < kWords; ++w)
                    if (a.lead[w] != b.lead[w])
                        return a.lead[w] < b.lead[w];
                const std::string_view ra(rest.data() + a.offset,
                                          a.size > kLead ? a.size - kLead : 0);
                const std::string_view rb(rest.data() + b.offset,
                                          b.size > kLead ? b.size - kLead : 0);
                c = ra.compare(rb);
                if (c == 0)
                    c = a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
            } else if (a.wide < 0 && b.wide < 0) {
                // Folding a folded text again changes nothing.
                c = compareLatin1Folded(bytesOf(a), bytesOf(b));
            } else {
                c = compareTexts(textOfItem(a), textOfItem(b));
            }
            return c != 0 ? c < 0 : a.child < b.child;
        };
        if (items.size() <= 16) {
            // A few children, as under most groups: insertion sort.
            for (std::size_t i = 1; i < items.size(); ++i) {
                const SortItem item = items[i];
                std::size_t j = i;
                for (; j > 0 && less(item, items[j - 1]); --j)
                    items[j] = items[j - 1];
                items[j] = item;
            }
        } else {
            std::sort(items.begin(), items.end(), less);
        }
    }

    // The children of position in sorted order.
    std::vector<qint32> sortedOrder(int position)
    {
        sortItemsOf(position, sortScratch);
        std::vector<qint32> order;
        order.reserve(sortScratch.items.size());
        for (const auto& item : sortScratch.items)
            order.push_back(item.child);
        return order;
    }

    // Sorts the children of position where they are, as settle() does for every
    // flagged list.
    void sortInPlace(int position, SortScratch& scratch, const NodeSource* const* from = nullptr)
    {
        sortItemsOf(position, scratch, from);
        const auto kids = children(position);
        for (std::size_t r = 0; r < kids.size(); ++r) {
            kids[r] = scratch.items[r].child;
            nodes[kids[r]].row = qint32(r);
        }
    }

    void applyOrder(int position, const std::vector<qint32>& order)
    {
        const auto kids = children(position);
        std::copy(order.begin(), order.end(), kids.begin());
        renumber(position, 0, int(kids.size()));
    }

    void markDirty(int position)
    {
        if (nodes[position].meta & DirtyBit)
            return;
        nodes[position].meta |= DirtyBit;
        dirty.push_back(position);
    }

    // See TreeModel::prefetch().
    void prefetchNode(int position, int stage) const
    {
        switch (stage) {
        case 0:
            // The node and the few after it (a download's details).
            for (int k = 0; k < 3; ++k)
                prefetchLine(reinterpret_cast<const char*>(&nodes[position]) + 64 * k);
            break;
        case 1: {
            if (const qint32 l = nodes[position].list; l >= 0)
                prefetchLine(&lists[l]);
            if (const quint32 s = sourceNumber(position))
                sources[s]->prefetch(tagAt(position), 0);
            break;
        }
        case 2: {
            if (const qint32 l = nodes[position].list; l >= 0)
                prefetchLine(arena.data() + lists[l].offset);
            if (const quint32 s = sourceNumber(position))
                sources[s]->prefetch(tagAt(position), 1);
            break;
        }
        default:
            if (const quint32 s = sourceNumber(position))
                sources[s]->prefetch(tagAt(position), 2);
            break;
        }
    }

    // Asks for the children of the list `ahead` places on, at a stage.
    void prefetchChildren(std::span<const qint32> lists, std::size_t ahead, int stage)
    {
        if (ahead >= lists.size())
            return;
        const auto kids = children(lists[ahead]);
        for (std::size_t k = 0; k < std::min<std::size_t>(kids.size(), 8); ++k)
            prefetchNode(kids[k], stage);
    }

    // Sorts the lists, asking ahead for what the next ones read: the lists of a
    // grouped fill are many and short, their children read from all over the
    // records.
    void sortLists(std::span<const qint32> lists, SortScratch& scratch,
                   const NodeSource* const* from)
    {
        const bool many = lists.size() >= 64;
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (many) {
                if (i + 12 < lists.size())
                    prefetchNode(lists[i + 12], 1);
                if (i + 8 < lists.size())
                    prefetchNode(lists[i + 8], 2);
                prefetchChildren(lists, i + 6, 0);
                prefetchChildren(lists, i + 4, 1);
                prefetchChildren(lists, i + 2, 2);
            }
            sortInPlace(lists[i], scratch, from);
        }
    }

    // Sorts the lists on this thread and a second one, which reads derived
    // texts through copies of their sources. False (nothing done) where that
    // would not pay or a source gives no copy.
    bool sortListsOnTwoThreads(const std::vector<qint32>& lists, std::size_t children)
    {
        constexpr std::size_t kChildrenForTwoThreads = 20000;
        constexpr std::size_t kPieceChildren = 2048;
        if (children < kChildrenForTwoThreads || lists.size() < 2 ||
            std::thread::hardware_concurrency() < 2)
            return false;
        std::vector<std::unique_ptr<NodeSource>> copies;
        std::vector<const NodeSource*> copied{nullptr};
        for (std::size_t s = 1; s < sources.size(); ++s) {
            copies.push_back(sources[s]->copyForThread());
            if (!copies.back())
                return false;
            copied.push_back(copies.back().get());
        }
        // Pieces of about the same number of children, taken in turn.
        std::vector<std::span<const qint32>> pieces;
        std::size_t from = 0, inPiece = 0;
        for (std::size_t i = 0; i < lists.size(); ++i) {
            inPiece += std::size_t(childCount(lists[i]));
            if (inPiece >= kPieceChildren || i + 1 == lists.size()) {
                pieces.push_back(std::span<const qint32>(lists).subspan(from, i + 1 - from));
                from = i + 1;
                inPiece = 0;
            }
        }
        std::atomic<std::size_t> next{0};
        auto sortPieces = [&](SortScratch& scratch, const NodeSource* const* table) {
            for (std::size_t i; (i = next.fetch_add(1)) < pieces.size();)
                sortLists(pieces[i], scratch, table);
        };
        SortScratch helperScratch;
        std::thread helper([&] { sortPieces(helperScratch, copied.data()); });
        const auto joinHelper = qScopeGuard([&] { helper.join(); });
        sortPieces(sortScratch, nullptr);
        return true;
    }

    // Sorts what waited for the end of a fill.
    void settle()
    {
        std::vector<qint32> unsorted;
        std::size_t children = 0;
        for (const qint32 p : dirty) {
            if (!(nodes[p].meta & DirtyBit))
                continue;
            nodes[p].meta &= ~DirtyBit;
            if (sorted(p) && childCount(p) > 1) {
                unsorted.push_back(p);
                children += std::size_t(childCount(p));
            }
        }
        release(dirty);
        if (!sortListsOnTwoThreads(unsorted, children))
            sortLists(unsorted, sortScratch, nullptr);
        release(sortScratch.items);
        release(sortScratch.rest);
        std::string().swap(sortScratch.text);
        pack(true);
        // The per-node arrays keep their room: what was reserved and never
        // written costs no memory, and copying them to fit would double them
        // for a moment.
        keys.shrink_to_fit();
        texts.shrink_to_fit();
        lists.shrink_to_fit();
    }
};

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent), d(std::make_unique<Impl>()) {}

TreeModel::~TreeModel() = default;

bool TreeModel::filling() const
{
    return d->fillDepth > 0;
}

void TreeModel::clear()
{
    if (filling()) {
        d->reset(rootsSorted());
        return;
    }
    beginResetModel();
    d->reset(rootsSorted());
    endResetModel();
}

void TreeModel::beginFill()
{
    if (d->fillDepth++ == 0)
        beginResetModel();
}

void TreeModel::endFill()
{
    if (d->fillDepth == 0 || --d->fillDepth > 0)
        return;
    d->settle();
    endResetModel();
}

void TreeModel::reserve(int nodes)
{
    d->reserve(nodes);
}

int TreeModel::addNode(int parent, const QString& key, const QString& text, int image)
{
    if (parent != 0 && !d->valid(parent))
        return 0;
    if (!key.isEmpty() && findKey(key) != 0)
        return 0;
    const int position = d->newNode(parent, image, d->keys.size(), 0);
    d->keys.push_back(key);
    d->texts.push_back(text);
    d->indexStoredKey(position, key);
    link(parent, position);
    return position;
}

int TreeModel::addDerivedNode(int parent, const NodeSource* source, quint64 tag, int image)
{
    if (!source || (parent != 0 && !d->valid(parent)))
        return 0;
    const int position = d->newNode(parent, image, tag, d->numberOf(source));
    link(parent, position);
    return position;
}

void TreeModel::link(int parent, int position)
{
    if (filling()) {
        Impl::ChildList& l = d->roomForOne(parent);
        d->arena[l.offset + l.size] = position;
        d->nodes[position].row = l.size++;
        if (d->sorted(parent))
            d->markDirty(parent);
        return;
    }
    const int at = d->sorted(parent) ? d->sortedRow(parent, d->textOf(position), position, -1)
                                     : d->childCount(parent);
    beginInsertRows(indexOfPosition(parent), at, at);
    d->insertChild(parent, at, position);
    endInsertRows();
}

int TreeModel::addDerivedNodes(int parent, const NodeSource* source, const quint64* tags,
                               const int* images, int n)
{
    if (!source || n <= 0 || (parent != 0 && !d->valid(parent)))
        return 0;
    const quint32 number = d->numberOf(source);
    const int first = d->count() + 1;
    if (!filling()) {
        for (int i = 0; i < n; ++i)
            link(parent, d->newNode(parent, images[i], tags[i], number));
        return first;
    }
    for (int i = 0; i < n; ++i)
        d->newNode(parent, images[i], tags[i], number);
    Impl::ChildList& l = d->roomFor(parent, n);
    qint32* kids = d->arena.data() + l.offset + l.size;
    for (int i = 0; i < n; ++i) {
        kids[i] = first + i;
        d->nodes[first + i].row = l.size + i;
    }
    l.size += n;
    if (d->sorted(parent))
        d->markDirty(parent);
    return first;
}

int TreeModel::nodeCount() const
{
    return d->count();
}

int TreeModel::findKey(const QString& key) const
{
    if (key.isEmpty())
        return 0;
    const size_t hash = hashKey(key);
    if (const int position = d->findStored(key, hash))
        return position;
    if (filling())
        return 0;
    return d->findDerived(key, hash);
}

QString TreeModel::key(int position) const
{
    return d->valid(position) ? d->keyOf(position) : QString();
}

QString TreeModel::text(int position) const
{
    return d->valid(position) ? d->textOf(position) : QString();
}

bool TreeModel::appendLatin1Text(int position, std::string& out) const
{
    return d->appendLatin1(position, false, out);
}

bool TreeModel::appendLatin1Key(int position, std::string& out) const
{
    return d->appendLatin1(position, true, out);
}

void TreeModel::NodeSource::prefetch(quint64, int) const {}

std::unique_ptr<TreeModel::NodeSource> TreeModel::NodeSource::copyForThread() const
{
    return nullptr;
}

TreeModel::ThreadReader::ThreadReader(const TreeModel& model) : model_(model)
{
    sources_.push_back(nullptr); // number 0: stored nodes
    for (std::size_t s = 1; s < model.d->sources.size(); ++s) {
        copies_.push_back(model.d->sources[s]->copyForThread());
        valid_ = valid_ && copies_.back();
        sources_.push_back(copies_.back().get());
    }
}

TreeModel::ThreadReader::~ThreadReader() = default;

QString TreeModel::ThreadReader::key(int position) const
{
    return model_.d->valid(position) ? model_.d->keyOf(position, sources_.data()) : QString();
}

QString TreeModel::ThreadReader::text(int position) const
{
    return model_.d->valid(position) ? model_.d->textOf(position, sources_.data()) : QString();
}

bool TreeModel::ThreadReader::appendLatin1Text(int position, std::string& out) const
{
    return model_.d->appendLatin1(position, false, out, sources_.data());
}

bool TreeModel::ThreadReader::appendLatin1Key(int position, std::string& out) const
{
    return model_.d->appendLatin1(position, true, out, sources_.data());
}

bool TreeModel::NodeSource::textPieces(quint64, TextPieces&) const
{
    return false;
}

bool TreeModel::textPieces(int position, TextPieces& pieces) const
{
    if (!d->valid(position))
        return false;
    const quint32 s = d->sourceNumber(position);
    return s && d->sources[s]->textPieces(d->tagAt(position), pieces);
}

void TreeModel::prefetch(int position, int stage) const
{
    if (d->valid(position))
        d->prefetchNode(position, stage);
}

bool TreeModel::NodeSource::appendLatin1Text(quint64 tag, std::string& out) const
{
    return appendIfLatin1(text(tag), out);
}

bool TreeModel::NodeSource::appendLatin1Key(quint64 tag, std::string& out) const
{
    return appendIfLatin1(key(tag), out);
}

int TreeModel::image(int position) const
{
    return d->valid(position) ? d->imageAt(position) : 0;
}

int TreeModel::parentOf(int position) const
{
    return d->valid(position) ? d->nodes[position].up : 0;
}

bool TreeModel::isSorted(int position) const
{
    return (position == 0 || d->valid(position)) && d->sorted(position);
}

bool TreeModel::rootsSorted() const
{
    return d->sorted(0);
}

void TreeModel::setText(int position, const QString& text)
{
    if (!d->valid(position))
        return;
    d->storeText(position, text);
    const int parent = d->nodes[position].up;
    if (filling()) {
        if (d->sorted(parent))
            d->markDirty(parent);
        return;
    }
    if (d->sorted(parent)) {
        const int from = d->nodes[position].row;
        const int to = d->sortedRow(parent, text, position, from);
        if (to != from) {
            const QModelIndex p = indexOfPosition(parent);
            beginMoveRows(p, from, from, p, to > from ? to + 1 : to);
            d->moveChild(parent, from, to);
            endMoveRows();
        }
    }
    const QModelIndex i = indexOfPosition(position);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void TreeModel::setImage(int position, int image)
{
    if (!d->valid(position) || d->imageAt(position) == image)
        return;
    d->setImageAt(position, image);
    if (!filling()) {
        const QModelIndex i = indexOfPosition(position);
        emit dataChanged(i, i, {ImageRole});
    }
}

void TreeModel::setSorted(int position, bool sorted)
{
    if (position == 0 || d->valid(position))
        applySorted(position, sorted);
}

void TreeModel::setRootsSorted(bool sorted)
{
    applySorted(0, sorted);
}

void TreeModel::applySorted(int position, bool sorted)
{
    if (sorted == d->sorted(position))
        return;
    if (sorted) {
        d->nodes[position].meta |= SortedBit;
        if (filling())
            d->markDirty(position);
        else
            sortNow(position);
        return;
    }
    // The order in force now stays, so a pending sort is done first.
    if (d->nodes[position].meta & DirtyBit) {
        d->nodes[position].meta &= ~DirtyBit;
        d->applyOrder(position, d->sortedOrder(position));
    }
    d->nodes[position].meta &= ~SortedBit;
}

void TreeModel::sortNow(int position)
{
    const std::vector<qint32> order = d->sortedOrder(position);
    const auto kids = d->children(position);
    if (std::equal(order.begin(), order.end(), kids.begin()))
        return;
    QList<QPersistentModelIndex> parents;
    if (position != 0)
        parents << QPersistentModelIndex(indexOfPosition(position));
    emit layoutAboutToBeChanged(parents, VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    d->applyOrder(position, order);
    for (const QModelIndex& old : persistent) {
        const int child = positionOf(old);
        if (child != 0 && d->nodes[child].up == position)
            changePersistentIndex(old,
                                  createIndex(d->nodes[child].row, old.column(), quintptr(child)));
    }
    emit layoutChanged(parents, VerticalSortHint);
}

int TreeModel::childCount(int position) const
{
    return (position == 0 || d->valid(position)) ? d->childCount(position) : 0;
}

std::span<const qint32> TreeModel::children(int position) const
{
    if (position != 0 && !d->valid(position))
        return {};
    return d->children(position);
}

int TreeModel::childAt(int position, int row) const
{
    if (row < 0 || row >= childCount(position))
        return 0;
    return d->children(position)[row];
}

QModelIndex TreeModel::indexOfPosition(int position) const
{
    if (!d->valid(position))
        return {};
    return createIndex(d->nodes[position].row, 0, quintptr(position));
}

int TreeModel::positionOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return 0;
    const quintptr position = index.internalId();
    return position <= quintptr(d->count()) ? int(position) : 0;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    int p = 0;
    if (parent.isValid()) {
        if (parent.column() != 0 || !(p = positionOf(parent)))
            return {};
    }
    if (row >= d->childCount(p))
        return {};
    return createIndex(row, 0, quintptr(d->children(p)[row]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const
{
    const int position = positionOf(child);
    if (position == 0)
        return {};
    return indexOfPosition(d->nodes[position].up);
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return d->childCount(0);
    if (parent.column() != 0)
        return 0;
    const int position = positionOf(parent);
    return position ? d->childCount(position) : 0;
}

int TreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    const int position = positionOf(index);
    if (position == 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return d->textOf(position);
    case ImageRole:
        return d->imageAt(position);
    case KeyRole:
        return d->keyOf(position);
    case PositionRole:
        return position;
    default:
        return {};
    }
}
