#include "window/tree_icons.h"

#include "tree/tree_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

const QColor kInk(0x30, 0x3a, 0x48);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kBlue(0x2f, 0x6f, 0xb8);
const QColor kRed(0xc8, 0x3c, 0x32);
const QColor kGreen(0x2e, 0x8b, 0x3e);
const QColor kAmber(0xe0, 0xa0, 0x30);

void page(QPainter& p)
{
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10.5, 1.5);
    path.lineTo(13.5, 4.5);
    path.lineTo(13.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
    p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
}

void calendar(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.fillRect(QRectF(2, 3, 12, 3), kRed);
    p.setPen(QPen(kInk, 1));
    for (int x : {4, 7, 10})
        p.drawLine(x, 1, x, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9a, 0xa4, 0xb0));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(3 + col * 3, 7.5 + row * 2.2, 2, 1.4));
}

void checkMark(QPainter& p, const QPointF& at)
{
    p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath mark;
    mark.moveTo(at + QPointF(0, 3));
    mark.lineTo(at + QPointF(2.5, 5.5));
    mark.lineTo(at + QPointF(7, 0));
    p.drawPath(mark);
}

void arrowHead(QPainter& p, const QPointF& tip, const QPointF& direction, const QColor& color)
{
    const QPointF side(-direction.y(), direction.x());
    QPolygonF head;
    head << tip << tip - direction * 3.5 + side * 2.5 << tip - direction * 3.5 - side * 2.5;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
}

void draw(QPainter& p, int index)
{
    switch (index) {
    case TreeImages::Resumes: { // the application's emblem: a log page with a down arrow
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 4), QPointF(8, 9.5));
        arrowHead(p, QPointF(8, 12.5), QPointF(0, 1), Qt::white);
        break;
    }
    case TreeImages::Url: { // a globe on a page
        page(p);
        p.setPen(QPen(kBlue, 1));
        p.setBrush(QColor(0xd8, 0xe8, 0xf8));
        p.drawEllipse(QRectF(4.5, 6.5, 7, 7));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(6.5, 6.5, 3, 7));
        p.drawLine(QPointF(4.5, 10), QPointF(11.5, 10));
        break;
    }
    case TreeImages::Calendar:
        calendar(p);
        break;
    case TreeImages::Checked:
        page(p);
        checkMark(p, QPointF(5, 6));
        break;
    case TreeImages::Download: { // a page with a clock
        page(p);
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xfd, 0xf0, 0xc8));
        p.drawEllipse(QRectF(5.5, 7.5, 7, 7));
        p.drawLine(QPointF(9, 11), QPointF(9, 8.8));
        p.drawLine(QPointF(9, 11), QPointF(10.8, 11));
        break;
    }
    case TreeImages::Folder: { // an open folder
        p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1));
        p.setBrush(QColor(0xe8, 0xc0, 0x60));
        p.drawRect(QRectF(1.5, 3.5, 11, 10));
        p.drawLine(QPointF(1.5, 3.5), QPointF(5.5, 3.5));
        QPolygonF flap;
        flap << QPointF(3.5, 6.5) << QPointF(15, 6.5) << QPointF(12.5, 13.5) << QPointF(1.5, 13.5);
        p.setBrush(kAmber);
        p.drawPolygon(flap);
        break;
    }
    case TreeImages::Restarts: { // two circling arrows
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kGreen, 1.6));
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 150 * 16);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 210 * 16, 150 * 16);
        arrowHead(p, QPointF(2.6, 9), QPointF(0, 1), kGreen);
        arrowHead(p, QPointF(13.4, 7), QPointF(0, -1), kGreen);
        break;
    }
    case TreeImages::Kilobytes: { // the letters Kb with an arrow
        QFont font = p.font();
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 12, 9), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Kb"));
        p.setPen(QPen(kBlue, 1.6));
        p.drawLine(QPointF(2, 12.5), QPointF(11, 12.5));
        arrowHead(p, QPointF(15, 12.5), QPointF(1, 0), kBlue);
        break;
    }
    case TreeImages::Mirrors: { // two opposed arrows
        p.setPen(QPen(kBlue, 1.6));
        p.drawLine(QPointF(1, 5), QPointF(11, 5));
        arrowHead(p, QPointF(15, 5), QPointF(1, 0), kBlue);
        p.setPen(QPen(kRed, 1.6));
        p.drawLine(QPointF(5, 11), QPointF(15, 11));
        arrowHead(p, QPointF(1, 11), QPointF(-1, 0), kRed);
        break;
    }
    case TreeImages::Finished:
        calendar(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawRect(QRectF(3, 7, 10, 7));
        checkMark(p, QPointF(4.5, 7.5));
        break;
    default:
        break;
    }
}

} // namespace

QIcon treeIcon(int index)
{
    static std::array<QIcon, TreeImages::Count + 1> cache;
    if (index < 1 || index > TreeImages::Count)
        return QIcon();
    QIcon& icon = cache[static_cast<std::size_t>(index)];
    if (icon.isNull()) {
        for (const qreal scale : {1.0, 2.0}) {
            QPixmap pixmap(QSize(16, 16) * scale);
            pixmap.setDevicePixelRatio(scale);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            draw(painter, index);
            painter.end();
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}
