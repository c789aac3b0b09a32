#include "window/tavrin_background.h"

#include "controls/design.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// The colour scheme: graphite frame, steel-blue headings, panels in the grey of
// the controls' faces.
const QColor Rim(0x0b, 0x10, 0x16);
const QColor BodyTop(0x4f, 0x5f, 0x73);
const QColor BodyBottom(0x37, 0x43, 0x54);
const QColor StripTop(0x26, 0x33, 0x45);
const QColor StripBottom(0x12, 0x19, 0x23);
const QColor Accent(0x7d, 0x98, 0xb8);
const QColor HeadingTop(0x43, 0x62, 0x8a);
const QColor HeadingBottom(0x25, 0x3b, 0x59);
const QColor HeadingText(0xf2, 0xf5, 0xf9);
const QColor PanelEdge(0x18, 0x20, 0x2a);
const QColor Face(0xc0, 0xc0, 0xc0);
const QColor BevelLight(0xe6, 0xe6, 0xe6);
const QColor BevelDark(0x8c, 0x8c, 0x8c);
const QColor CaptionText(0x20, 0x20, 0x20);

constexpr int StripHeight = 44;
constexpr int HeadingHeight = 18;

// The panels by their first and last pixel.
const QRect LogFileFrame(QPoint(40, 52), QPoint(618, 86));
const QRect FilesPanel(QPoint(40, 94), QPoint(402, 440));
const QRect StatsPanel(QPoint(409, 94), QPoint(618, 258));
const QRect DownloadsPanel(QPoint(409, 265), QPoint(618, 410));
const QRect ButtonBox(QPoint(423, 414), QPoint(606, 440));
const QRect CloseMark(593, 14, 20, 18);

const int StatTop[7] = {127, 146, 163, 183, 202, 221, 239};
const char* const StatCaption[7] = {"Total Files",     "Total Resumes",   "Total Restarts",
                                    "Total Completed", "Bytes Recovered", "Log Started",
                                    "Log Finished"};

QFont font(int pixelSize, bool bold)
{
    QFont f = Design::arial(pixelSize, bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

void line(QPainter& p, const QColor& color, int x1, int y1, int x2, int y2)
{
    p.setPen(color);
    p.drawLine(x1, y1, x2, y2);
}

// A one-pixel raised (or sunken) edge just inside r.
void bevel(QPainter& p, const QRect& r, bool raised)
{
    const QColor& topLeft = raised ? BevelLight : BevelDark;
    const QColor& bottomRight = raised ? BevelDark : BevelLight;
    line(p, topLeft, r.left(), r.top(), r.right(), r.top());
    line(p, topLeft, r.left(), r.top(), r.left(), r.bottom());
    line(p, bottomRight, r.left(), r.bottom(), r.right(), r.bottom());
    line(p, bottomRight, r.right(), r.top(), r.right(), r.bottom());
}

void frameBox(QPainter& p, const QRect& r)
{
    p.fillRect(r, Face);
    p.setPen(PanelEdge);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    bevel(p, r.adjusted(1, 1, -1, -1), true);
}

void headingBar(QPainter& p, const QRect& panel, const QString& title)
{
    const QRect bar(panel.left() + 1, panel.top() + 1, panel.width() - 2, HeadingHeight);
    QLinearGradient g(bar.topLeft(), bar.bottomLeft());
    g.setColorAt(0, HeadingTop);
    g.setColorAt(1, HeadingBottom);
    p.fillRect(bar, g);
    line(p, QColor(0x6a, 0x88, 0xb0), bar.left(), bar.top(), bar.right(), bar.top());
    line(p, PanelEdge, bar.left(), bar.bottom() + 1, bar.right(), bar.bottom() + 1);
    p.setFont(font(12, true));
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(bar.adjusted(8, 1, 0, 1), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setPen(HeadingText);
    p.drawText(bar.adjusted(7, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
}

void panel(QPainter& p, const QRect& r, const QString& title)
{
    frameBox(p, r);
    headingBar(p, r, title);
}

QPainterPath outline()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, TavrinArtwork::Width - 1, TavrinArtwork::Height - 1), 19,
                        19);
    return path;
}

void paintFrame(QPainter& p)
{
    const QPainterPath shape = outline();
    QLinearGradient body(0, StripHeight, 0, TavrinArtwork::Height);
    body.setColorAt(0, BodyTop);
    body.setColorAt(1, BodyBottom);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillPath(shape, body);

    // The title strip, clipped to the rounded top.
    p.save();
    p.setClipPath(shape);
    QLinearGradient strip(0, 0, 0, StripHeight);
    strip.setColorAt(0, StripTop);
    strip.setColorAt(1, StripBottom);
    p.fillRect(QRect(0, 0, TavrinArtwork::Width, StripHeight), strip);
    p.restore();

    p.setPen(QPen(Rim, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setRenderHint(QPainter::Antialiasing, false);
    line(p, Accent, 3, StripHeight, TavrinArtwork::Width - 4, StripHeight);
    line(p, Rim, 3, StripHeight + 1, TavrinArtwork::Width - 4, StripHeight + 1);
}

void paintTitle(QPainter& p)
{
    // Emblem: the download arrow of the program icon, in a ring.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF ring(20.5, 12.5, 21, 21);
    p.setPen(QPen(Accent, 1.5));
    p.setBrush(QColor(0x1a, 0x26, 0x36));
    p.drawEllipse(ring);
    QPainterPath arrow;
    const QPointF c = ring.center();
    arrow.moveTo(c.x() - 2.5, c.y() - 6.5);
    arrow.lineTo(c.x() + 2.5, c.y() - 6.5);
    arrow.lineTo(c.x() + 2.5, c.y() - 0.5);
    arrow.lineTo(c.x() + 6, c.y() - 0.5);
    arrow.lineTo(c.x(), c.y() + 6);
    arrow.lineTo(c.x() - 6, c.y() - 0.5);
    arrow.lineTo(c.x() - 2.5, c.y() - 0.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(HeadingText);
    p.drawPath(arrow);

    // The name, on the baseline of the subtitle label beside it.
    QFont name = Design::arial(22, true);
    name.setHintingPreference(QFont::PreferVerticalHinting);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 140));
    p.drawText(QPointF(51, 32), QStringLiteral("Tavrin"));
    p.setPen(HeadingText);
    p.drawText(QPointF(50, 31), QStringLiteral("Tavrin"));

    // The close mark: a dark red key with a white cross.
    const QRectF key = QRectF(CloseMark).adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient red(key.topLeft(), key.bottomLeft());
    red.setColorAt(0, QColor(0xa8, 0x2a, 0x2a));
    red.setColorAt(1, QColor(0x6e, 0x10, 0x10));
    p.setPen(QPen(QColor(0x2a, 0x05, 0x05), 1));
    p.setBrush(red);
    p.drawRoundedRect(key, 3, 3);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF m = key.center();
    p.drawLine(m + QPointF(-3.5, -3.5), m + QPointF(3.5, 3.5));
    p.drawLine(m + QPointF(-3.5, 3.5), m + QPointF(3.5, -3.5));
    p.setRenderHint(QPainter::Antialiasing, false);
}

void paintBanner(QPainter& p)
{
    const QRect banner(QPoint(4, StripHeight + 6), QPoint(33, TavrinArtwork::Height - 12));
    QLinearGradient g(banner.topLeft(), banner.topRight());
    g.setColorAt(0, QColor(0x1b, 0x25, 0x33));
    g.setColorAt(1, QColor(0x2b, 0x3a, 0x50));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(PanelEdge, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(banner).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setRenderHint(QPainter::Antialiasing, false);
    line(p, QColor(0x45, 0x5b, 0x78), banner.right() - 1, banner.top() + 6, banner.right() - 1,
         banner.bottom() - 6);

    // The program's purpose, read bottom to top.
    p.save();
    p.translate(banner.center().x() + 5, banner.bottom() - 24);
    p.rotate(-90);
    QFont f = font(11, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(f);
    p.setPen(QColor(0x8f, 0xa6, 0xc2));
    p.drawText(QPointF(0, 0), QStringLiteral("GETRIGHT LOG ANALYSER"));
    p.restore();

    // Rivets at both ends.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    for (const int y : {banner.top() + 12, banner.bottom() - 10}) {
        p.setBrush(QColor(0x0e, 0x14, 0x1c));
        p.drawEllipse(QPointF(banner.center().x() + 0.5, y + 0.5), 3.5, 3.5);
        p.setBrush(Accent);
        p.drawEllipse(QPointF(banner.center().x(), y), 2, 2);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void paintLogFileFrame(QPainter& p)
{
    frameBox(p, LogFileFrame);
    // The caption sits as a tab on the frame's top edge.
    const QString caption = QStringLiteral("LogFile...");
    p.setFont(font(11, true));
    const int width = p.fontMetrics().horizontalAdvance(caption) + 14;
    const QRect tab(LogFileFrame.left() + 8, LogFileFrame.top() - 6, width, 14);
    QLinearGradient g(tab.topLeft(), tab.bottomLeft());
    g.setColorAt(0, HeadingTop);
    g.setColorAt(1, HeadingBottom);
    p.fillRect(tab, g);
    p.setPen(PanelEdge);
    p.drawRect(tab.adjusted(0, 0, -1, -1));
    p.setPen(HeadingText);
    p.drawText(tab.adjusted(0, 0, 0, -1), Qt::AlignCenter, caption);
}

void paintFilesPanel(QPainter& p)
{
    panel(p, FilesPanel, QStringLiteral("Files in log"));
    // A sunken well under the tree and etched rules around the command rows.
    bevel(p, QRect(QPoint(41, 137), QPoint(399, 412)), false);
    line(p, BevelDark, 41, 415, 401, 415);
    line(p, BevelLight, 41, 416, 401, 416);
}

void paintStatsPanel(QPainter& p)
{
    panel(p, StatsPanel, QStringLiteral("Log Statistics"));
    p.setFont(font(11, true));
    for (int i = 0; i < 7; ++i) {
        const QRect row(418, StatTop[i], 100, 12);
        p.setPen(CaptionText);
        p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QLatin1String(StatCaption[i]));
        // A rule between rows.
        if (i < 6) {
            const int y = (StatTop[i] + 12 + StatTop[i + 1]) / 2;
            line(p, QColor(0xb0, 0xb0, 0xb0), 416, y, 610, y);
            line(p, QColor(0xd0, 0xd0, 0xd0), 416, y + 1, 610, y + 1);
        }
    }
}

void paintDownloadsPanel(QPainter& p)
{
    panel(p, DownloadsPanel, QStringLiteral("Current Downloads"));
    // Names the switch at the bar's right end.
    p.setFont(font(11, false));
    p.setPen(QColor(0xc6, 0xd3, 0xe4));
    p.drawText(QRect(QPoint(520, 266), QPoint(597, 283)), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Monitor"));
    // The switch sits in a small well.
    p.fillRect(QRect(600, 267, 15, 15), PanelEdge);
}

void paintButtonBox(QPainter& p)
{
    frameBox(p, ButtonBox);
    bevel(p, ButtonBox.adjusted(2, 2, -2, -2), false);
}

} // namespace

QColor TavrinArtwork::rimColor()
{
    return Rim;
}

QPixmap paintTavrinBackground(qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(TavrinArtwork::Width, TavrinArtwork::Height) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Rim);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    paintFrame(p);
    paintTitle(p);
    paintBanner(p);
    paintLogFileFrame(p);
    paintFilesPanel(p);
    paintStatsPanel(p);
    paintDownloadsPanel(p);
    paintButtonBox(p);
    return pixmap;
}
