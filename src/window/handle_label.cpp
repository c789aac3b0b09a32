#include "window/handle_label.h"

#include <QMouseEvent>

HandleLabel::HandleLabel(QWidget* parent) : QLabel(parent) {}

void HandleLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftDown_ = true;
    event->accept();
    Q_EMIT mouseDown(event->button());
}

void HandleLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !leftDown_)
        return;
    leftDown_ = false;
    if (rect().contains(event->position().toPoint()))
        Q_EMIT click();
}
