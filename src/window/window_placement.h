#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of `size` opens on a screen whose free area is `available`:
// centred, and never beyond its top or left edge, so the title strip (and its
// close button) stays in reach even where the window is larger than the screen
// (a scale factor of 2 on a small screen).
QPoint placeInside(const QSize& size, const QRect& available);
