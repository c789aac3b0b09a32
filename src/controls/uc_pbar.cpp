#include "controls/uc_pbar.h"

#include <QPainter>

UcPBar::UcPBar(QWidget* parent) : QWidget(parent) {}

void UcPBar::setMin(qint32 value)
{
    min_ = value;
    update();
}

void UcPBar::setMax(qint32 value)
{
    max_ = value;
    update();
}

void UcPBar::setValue(qint32 value)
{
    value_ = qBound(qMin(min_, max_), value, qMax(min_, max_));
    update();
}

void UcPBar::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
    Q_EMIT change();
}

void UcPBar::setDisplayStyle(qint32 style)
{
    displayStyle_ = style;
    update();
}

void UcPBar::setBackStyle(int style)
{
    backStyle_ = style;
    update();
}

void UcPBar::setBackColor(const QColor& color)
{
    backColor_ = color;
    update();
}

void UcPBar::setBarBackColor(const QColor& color)
{
    barBackColor_ = color;
    update();
}

void UcPBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (backStyle_ == 1)
        p.fillRect(rect(), backColor_);
    const double span = max_ - min_;
    const double fraction = span > 0 ? qBound(0.0, (value_ - min_) / span, 1.0) : 1.0;
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    p.fillRect(QRect(inner.left(), inner.top(), int(inner.width() * fraction), inner.height()),
               barBackColor_);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignCenter, caption_);
}
