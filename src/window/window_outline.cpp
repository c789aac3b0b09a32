#include "window/window_outline.h"

#include <cmath>

namespace WindowOutline {

const std::array<QPoint, VertexCount>& outlinePoints()
{
    static const std::array<QPoint, VertexCount> points = {{
        {270, 0},     {9165, 0},    {9180, 15},   {9240, 15},   // top edge, top-right corner
        {9255, 30},   {9300, 45},   {9405, 150},  {9435, 225},  //
        {9450, 300},  {9450, 6465}, {9435, 6480}, {9435, 6525}, // right edge, bottom-right
        {9420, 6540}, {9405, 6585}, {9285, 6705}, {9210, 6735}, //
        {9135, 6750}, {285, 6750},  {270, 6735},  {225, 6735},  // bottom edge, bottom-left
        {210, 6720},  {165, 6705},  {45, 6585},   {15, 6510},   //
        {0, 6435},    {0, 270},     {15, 255},    {15, 210},    // left edge, top-left
        {30, 195},    {45, 150},    {150, 45},    {225, 15},    //
    }};
    return points;
}

int twipsToPixels(int twips, double twipsPerPixel)
{
    const double exact = twips / twipsPerPixel;
    const double below = std::floor(exact);
    const double rest = exact - below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0))
        return int(below) + 1;
    return int(below);
}

QPolygon outlinePolygon(double twipsPerPixelX, double twipsPerPixelY)
{
    // The largest coordinate is 9450 twips; keep every result well inside int.
    constexpr double Smallest = 9450.0 / (1 << 24);
    if (!std::isfinite(twipsPerPixelX) || !std::isfinite(twipsPerPixelY) ||
        twipsPerPixelX < Smallest || twipsPerPixelY < Smallest)
        return {};
    QPolygon polygon;
    polygon.reserve(VertexCount);
    for (const QPoint& point : outlinePoints())
        polygon.append(QPoint(twipsToPixels(point.x(), twipsPerPixelX),
                              twipsToPixels(point.y(), twipsPerPixelY)));
    return polygon;
}

} // namespace WindowOutline

QRegion buildWindowOutline(double twipsPerPixel)
{
    return buildWindowOutline(twipsPerPixel, twipsPerPixel);
}

QRegion buildWindowOutline(double twipsPerPixelX, double twipsPerPixelY)
{
    const QPolygon polygon = WindowOutline::outlinePolygon(twipsPerPixelX, twipsPerPixelY);
    if (polygon.isEmpty())
        return {};
    return QRegion(polygon, Qt::OddEvenFill);
}
