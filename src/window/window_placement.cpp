#include "window/window_placement.h"

#include <QtGlobal>

QPoint placeInside(const QSize& size, const QRect& available)
{
    QRect frame(QPoint(), size);
    frame.moveCenter(available.center());
    // Inside on the right and at the bottom where it fits, at the top and left always.
    frame.moveLeft(
        qMax(available.left(), qMin(frame.left(), available.right() - size.width() + 1)));
    frame.moveTop(qMax(available.top(), qMin(frame.top(), available.bottom() - size.height() + 1)));
    return frame.topLeft();
}
