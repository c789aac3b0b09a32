#include "controls/hot_command.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

HotCommand::HotCommand(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void HotCommand::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void HotCommand::setBackColor(const QColor& color)
{
    backColor_ = color;
    update();
}

void HotCommand::setForeColor(const QColor& color)
{
    foreColor_ = color;
    update();
}

void HotCommand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool hot = hot_ && isEnabled();
    const bool down = down_ && isEnabled();
    p.fillRect(rect(), down ? backColorDown_ : hot ? backColorHi_ : backColor_);
    if (hot || down) {
        p.setPen(down ? palette().color(QPalette::Shadow) : Qt::white);
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(down ? Qt::white : palette().color(QPalette::Shadow));
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
    p.setPen(!isEnabled() ? palette().color(QPalette::Disabled, QPalette::ButtonText)
             : down       ? foreColorDown_
             : hot        ? foreColorHi_
                          : foreColor_);
    p.setFont(font());
    p.drawText(rect().translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, caption_);
    if (hasFocus()) {
        p.setPen(QPen(foreColor_, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void HotCommand::enterEvent(QEnterEvent*)
{
    hot_ = true;
    update();
}

void HotCommand::leaveEvent(QEvent*)
{
    hot_ = false;
    update();
}

void HotCommand::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        down_ = true;
        update();
    }
}

void HotCommand::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !down_)
        return;
    down_ = false;
    update();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT click();
}

void HotCommand::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        Q_EMIT click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HotCommand::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hot_ = false;
        down_ = false;
    }
    QWidget::changeEvent(event);
    update();
}
