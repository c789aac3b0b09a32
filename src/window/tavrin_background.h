#pragma once

#include <QColor>
#include <QPixmap>

// The background artwork of the skinned window, 630 x 450: frame, title strip
// with the name and the close mark, the left banner, the framed file row and
// the panels with their headings and row captions. The controls of the window
// sit on it at their design positions (tavrin_layout.cpp).
QPixmap paintTavrinBackground(qreal devicePixelRatio = 1.0);

namespace TavrinArtwork {
constexpr int Width = 630;
constexpr int Height = 450;
// Outside the rounded frame (the corners the window outline cuts away).
QColor rimColor();
} // namespace TavrinArtwork
