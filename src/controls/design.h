#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// Design values of the window as the design stores them, made usable by Qt.
namespace Design {

// A stored colour: &H00BBGGRR& is a direct colour (blue in the high byte),
// &H800000nn& the desktop's system colour number nn, taken from the palette.
QColor color(quint32 stored, const QPalette& palette = QPalette());

// The design's Windows fonts mapped to free fonts of the same pixel size, so the
// text fits the controls whatever the screen's dpi. Liberation Sans is metric-
// compatible with Arial and close to MS Sans Serif and Tahoma at 11 px.
QFont msSansSerif(bool bold = false); // MS Sans Serif 8.25 pt
QFont tahoma(bool bold = false);      // Tahoma 8.25 pt
QFont arial(int pixelSize, bool bold = false, bool italic = false);

// Puts a control into its container at its design position and size in pixels
// (the design's twips / 15).
void place(QWidget* control, QWidget* container, int left, int top, int width, int height);

} // namespace Design
