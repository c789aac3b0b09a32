#pragma once

#include <QStyledItemDelegate>

// Draws each node with the tree picture its image number names.
class TreeIconDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
