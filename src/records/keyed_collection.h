#pragma once

#include "records/class_error.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// An ordered collection numbered from 1 in order of addition, whose items may
// carry a text key compared without regard to case. Removal leaves a hole in
// the slot list; a Fenwick tree over the live slots turns a position into a slot
// in O(log n), so moving an item to the end stays cheap in large logs.
template <typename T> class KeyedCollection {
public:
    int count() const { return live_; }

    // Appends the item, under the key when it is not empty. Throws DuplicateKey
    // when the key is taken; the item is then not stored.
    T* append(std::unique_ptr<T> item, const QString& key)
    {
        QString folded;
        if (!key.isEmpty()) {
            folded = fold(key);
            if (byKey_.contains(folded))
                throw ClassError(ErrorNumbers::DuplicateKey, QString(),
                                 QStringLiteral("This key is already associated with an element of this collection"));
        }
        T* raw = item.get();
        slots_.push_back(Slot{std::move(item), folded});
        grow();
        if (!folded.isEmpty())
            byKey_.insert(folded, slots_.size() - 1);
        return raw;
    }

    // The item under the key, or nullptr.
    T* find(const QString& key) const
    {
        const auto it = byKey_.constFind(fold(key));
        return it == byKey_.constEnd() ? nullptr : slots_[*it].item.get();
    }

    // The item at a 1-based position; throws SubscriptOutOfRange outside 1..count().
    T* at(int position) const { return slots_[slotOf(position)].item.get(); }

    // Removes by position or by key and hands the item back.
    std::unique_ptr<T> takeAt(int position) { return takeSlot(slotOf(position)); }
    std::unique_ptr<T> take(const QString& key)
    {
        const auto it = byKey_.constFind(fold(key));
        if (it == byKey_.constEnd())
            throw ClassError(ErrorNumbers::InvalidArgument, QString(),
                             QStringLiteral("Invalid procedure call or argument"));
        return takeSlot(*it);
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
        std::unique_ptr<T> item;
        QString key; // folded; empty when the item has none
    };

    static QString fold(const QString& key) { return key.toUpper(); }

    std::size_t slotOf(int position) const
    {
        if (position < 1 || position > live_)
            throw ClassError(ErrorNumbers::SubscriptOutOfRange, QString(),
                             QStringLiteral("Subscript out of range"));
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

    void grow()
    {
        // Append a Fenwick node for the new live slot.
        const std::size_t i = tree_.size() + 1; // 1-based index of the new node
        int sum = 1;
        for (std::size_t child = 1; child < (i & (~i + 1)); child *= 2)
            sum += tree_[i - child - 1];
        tree_.push_back(sum);
        ++live_;
    }

    std::unique_ptr<T> takeSlot(std::size_t slot)
    {
        Slot& s = slots_[slot];
        if (!s.key.isEmpty())
            byKey_.remove(s.key);
        for (std::size_t i = slot + 1; i <= tree_.size(); i += i & (~i + 1))
            tree_[i - 1] -= 1;
        --live_;
        s.key.clear();
        return std::move(s.item);
    }

    std::vector<Slot> slots_;
    std::vector<int> tree_;
    QHash<QString, std::size_t> byKey_;
    int live_ = 0;
};
