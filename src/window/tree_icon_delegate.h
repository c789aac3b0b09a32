#pragma once

#include <QStyledItemDelegate>

// Draws each node with the tree picture its image number names, and gives a
// node whose text the view cuts (elided, or running past the view's edge) its
// whole text as a tooltip.
class TreeIconDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Whether the view shows less than the whole text of the node.
    bool isTextCut(const QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
