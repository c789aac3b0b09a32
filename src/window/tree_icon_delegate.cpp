#include "window/tree_icon_delegate.h"

#include "tree/tree_model.h"
#include "window/tree_icons.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

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

bool TreeIconDelegate::isTextCut(const QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = view ? view->viewport() : nullptr;
    const QStyle* style = widget ? widget->style() : nullptr;
    if (!style)
        return false;
    QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    text.setRight(qMin(text.right(), widget->rect().right()));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return item.fontMetrics.horizontalAdvance(item.text) + 2 * margin > text.width();
}

bool TreeIconDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (isTextCut(view, option, index))
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(),
                           view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
