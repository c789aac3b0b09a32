#pragma once

#include <QIODevice>
#include <QTextStream>

class TreeModel;

// Writes every node in display order, depth first: two spaces per level, the
// node's key, a TAB, its text.
void writeTreeReport(const TreeModel& model, QTextStream& out);

// The same report as UTF-8, written to the device in large pieces without a
// QString per node. Gives false when the device refused a write.
bool writeTreeReportUtf8(const TreeModel& model, QIODevice& device);
