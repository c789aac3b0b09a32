#include "controls/fitting_label.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

void FittingLabel::setRoom(int widest)
{
    least_ = width();
    widest_ = qMax(widest, least_);
    fit();
}

void FittingLabel::setText(const QString& text)
{
    QLabel::setText(text);
    fit();
}

bool FittingLabel::isCut() const
{
    return textWidth() > contentsRect().width();
}

int FittingLabel::textWidth() const
{
    return fontMetrics().horizontalAdvance(text());
}

void FittingLabel::fit()
{
    if (least_ < 0)
        return;
    const int needed = textWidth() + (width() - contentsRect().width());
    resize(qBound(least_, needed, widest_), height());
    update();
}

void FittingLabel::paintEvent(QPaintEvent* event)
{
    if (!isCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

bool FittingLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (isCut())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this, rect());
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void FittingLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        fit();
    QLabel::changeEvent(event);
}
