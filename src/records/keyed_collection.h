#pragma once

#include "records/class_error.h"
#include "records/folded_key.h"
#include "records/large_pages.h"
#include "records/record_text.h"

#include <algorithm>
#include <vector>

// The ordered, keyed part of a collection numbered from 1 in order of addition:
// items (owned elsewhere) in slots, an optional key per item compared without
// regard to case. Removal leaves a hole in the slot list; a Fenwick tree over
// the live slots turns a position into a slot in O(log n), so moving an item to
// the end stays cheap in large logs, and the holes are swept out when they make
// up half the slots. Keys are kept folded, as views of text kept elsewhere, and
// found through an open-addressing table.
template <typename T> class KeyedSlots {
public:
    int count() const { return live_; }

    // Appends the item under a folded key (empty: none) with its hash
    // (FoldedKey::hash()); the key must not be taken.
    void append(T* item, const RecordText& foldedKey, quint32 hash)
    {
        if (slots_.size() >= 64 && (slots_.size() - std::size_t(live_)) * 2 > slots_.size())
            compact();
        slots_.push_back(Slot{item, foldedKey, hash});
        if (treeValid_)
            growTree();
        ++live_;
        if (!foldedKey.isEmpty())
            tableInsert(hash, slots_.size() - 1);
    }

    // The slot holding the key, or -1.
    int find(const FoldedKey& key) const
    {
        if (table_.empty() || key.isEmpty())
            return -1;
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = key.hash() & mask;; i = (i + 1) & mask) {
            const quint64 cell = table_[i];
            if (cell == 0)
                return -1;
            if (quint32(cell >> 32) == key.hash()) {
                const std::size_t slot = std::size_t(quint32(cell)) - 1;
                if (key.matches(slots_[slot].key))
                    return int(slot);
            }
        }
    }

    // Starts bringing the table's cell for a hash into the cache.
    void prefetch(quint32 hash) const
    {
        if (table_.empty())
            return;
        prefetchLine(table_.data() + (hash & (table_.size() - 1)));
    }

    T* item(std::size_t slot) const { return slots_[slot].item; }
    bool hasKey(std::size_t slot) const { return !slots_[slot].key.isEmpty(); }

    // The slot of a 1-based position; throws SubscriptOutOfRange outside 1..count().
    std::size_t slotOf(int position) const
    {
        if (position < 1 || position > live_)
            throw ClassError(ErrorNumbers::SubscriptOutOfRange, QString(),
                             QStringLiteral("Subscript out of range"));
        if (!treeValid_)
            rebuildTree();
        // Descend the Fenwick tree for the slot holding the position-th live item.
        std::size_t index = 0;
        int remaining = position;
        std::size_t step = 1;
        while (step * 2 <= tree_.size())
            step *= 2;
        for (; step > 0; step /= 2) {
            const std::size_t next = index + step;
            if (next <= tree_.size() && tree_[next - 1] < remaining) {
                index = next;
                remaining -= tree_[next - 1];
            }
        }
        return index; // 0-based slot
    }

    // Removes the item of a slot (and its key) and gives it back.
    T* take(std::size_t slot)
    {
        Slot& s = slots_[slot];
        if (!s.key.isEmpty()) {
            tableErase(s.hash, slot);
            s.key.clear();
        }
        T* item = s.item;
        s.item = nullptr;
        if (treeValid_) {
            for (std::size_t i = slot + 1; i <= tree_.size(); i += i & (~i + 1))
                tree_[i - 1] -= 1;
        }
        --live_;
        return item;
    }

    // Visits the items in position order.
    template <typename F> void forEach(F&& visit) const
    {
        for (const Slot& slot : slots_)
            if (slot.item)
                visit(*slot.item);
    }

private:
    struct Slot {
        T* item = nullptr; // nullptr once removed
        RecordText key;    // folded; empty when the item has none
        quint32 hash = 0;  // of the key
    };

    // Positions are asked for seldom (the record builders never ask): the tree
    // is made when they are, and then kept up to date until the next sweep.
    void rebuildTree() const
    {
        tree_.assign(slots_.size(), 0);
        for (std::size_t i = 1; i <= slots_.size(); ++i) {
            tree_[i - 1] += slots_[i - 1].item ? 1 : 0;
            const std::size_t parent = i + (i & (~i + 1));
            if (parent <= slots_.size())
                tree_[parent - 1] += tree_[i - 1];
        }
        treeValid_ = true;
    }

    void growTree() const
    {
        // Append a Fenwick node for the new live slot.
        const std::size_t i = tree_.size() + 1; // 1-based index of the new node
        int sum = 1;
        for (std::size_t child = 1; child < (i & (~i + 1)); child *= 2)
            sum += tree_[i - child - 1];
        tree_.push_back(sum);
    }

    // Drops the holes; positions stay as they are.
    void compact()
    {
        Array<Slot> live;
        live.reserve(std::size_t(live_) * 2);
        for (const Slot& slot : slots_)
            if (slot.item)
                live.push_back(slot);
        slots_.swap(live);
        tree_.clear();
        treeValid_ = false;
        std::fill(table_.begin(), table_.end(), 0);
        keys_ = 0;
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (!slots_[i].key.isEmpty())
                tableInsert(slots_[i].hash, i);
    }

    void tableInsert(quint32 hash, std::size_t slot)
    {
        // Up to seven tenths full: probe runs stay short, and the table of a
        // large log stays small.
        if ((keys_ + 1) * 10 > table_.size() * 7)
            tableGrow();
        const std::size_t mask = table_.size() - 1;
        std::size_t i = hash & mask;
        while (table_[i] != 0)
            i = (i + 1) & mask;
        table_[i] = (quint64(hash) << 32) | quint64(slot + 1);
        ++keys_;
    }

    void tableErase(quint32 hash, std::size_t slot)
    {
        const std::size_t mask = table_.size() - 1;
        const quint64 cell = (quint64(hash) << 32) | quint64(slot + 1);
        std::size_t i = hash & mask;
        while (table_[i] != cell)
            i = (i + 1) & mask;
        // Backward-shift deletion keeps every probe run unbroken.
        for (std::size_t j = (i + 1) & mask; table_[j] != 0; j = (j + 1) & mask) {
            const std::size_t home = quint32(table_[j] >> 32) & mask;
            const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (!between) {
                table_[i] = table_[j];
                i = j;
            }
        }
        table_[i] = 0;
        --keys_;
    }

    void tableGrow()
    {
        Array<quint64> old(std::max<std::size_t>(16, table_.size() * 2), 0);
        old.swap(table_);
        const std::size_t mask = table_.size() - 1;
        for (const quint64 cell : old) {
            if (cell == 0)
                continue;
            std::size_t i = quint32(cell >> 32) & mask;
            while (table_[i] != 0)
                i = (i + 1) & mask;
            table_[i] = cell;
        }
    }

    template <typename U> using Array = std::vector<U, LargePageAllocator<U>>;

    Array<Slot> slots_;
    mutable Array<int> tree_; // Fenwick tree over slots_: 1 for a live slot
    mutable bool treeValid_ = false;
    int live_ = 0;
    // Open addressing with linear probing: hash << 32 | (slot + 1); 0 is free.
    Array<quint64> table_;
    std::size_t keys_ = 0;
};
