#include "window/tree_icon_delegate.h"

#include "tree/tree_model.h"
#include "window/tree_icons.h"

void TreeIconDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QIcon icon = treeIcon(index.data(TreeModel::ImageRole).toInt());
    if (!icon.isNull()) {
        option->icon = icon;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
}
