#include "window/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap iconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // A dark steel tile with a light download arrow over a tray.
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(0x3d, 0x5a, 0x80));
    tile.setColorAt(1, QColor(0x1a, 0x29, 0x3d));
    p.setPen(QPen(QColor(0x0b, 0x10, 0x16), 1));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.2, s * 0.2);

    const QColor light(0xee, 0xf3, 0xf9);
    QPainterPath arrow;
    arrow.moveTo(s * 0.40, s * 0.16);
    arrow.lineTo(s * 0.60, s * 0.16);
    arrow.lineTo(s * 0.60, s * 0.44);
    arrow.lineTo(s * 0.76, s * 0.44);
    arrow.lineTo(s * 0.50, s * 0.70);
    arrow.lineTo(s * 0.24, s * 0.44);
    arrow.lineTo(s * 0.40, s * 0.44);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawPath(arrow);
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(QRectF(s * 0.20, s * 0.76, s * 0.60, s * 0.09));
    return pixmap;
}

} // namespace

QIcon appIcon()
{
    QIcon icon;
    icon.addPixmap(iconPixmap(16));
    icon.addPixmap(iconPixmap(32));
    return icon;
}
