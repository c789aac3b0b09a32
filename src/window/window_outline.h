#pragma once

#include <QPoint>
#include <QPolygon>
#include <QRegion>

#include <array>

// The outline of the skinned window: a 630 x 450-pixel rectangle whose four
// corners are cut off by short chains of edges, held in twips (1/1440 inch) and
// scaled by the screen's twips per pixel. The vertices run clockwise from the
// left end of the top edge; the corners are not mirror images of each other.
namespace WindowOutline {

constexpr int VertexCount = 32;
const std::array<QPoint, VertexCount>& outlinePoints(); // in twips

// Twips to pixels: divided by the ratio, halves rounded to the even neighbour.
int twipsToPixels(int twips, double twipsPerPixel);

// The vertices in pixels; empty when a ratio is not a positive finite number
// or gives coordinates no window could have.
QPolygon outlinePolygon(double twipsPerPixelX, double twipsPerPixelY);

} // namespace WindowOutline

// BuildWindowOutline: the outline as a region (odd-even fill) to hand to
// QWidget::setMask. Empty when the ratio is unusable; the window then keeps its
// rectangle.
QRegion buildWindowOutline(double twipsPerPixel);
QRegion buildWindowOutline(double twipsPerPixelX, double twipsPerPixelY);
