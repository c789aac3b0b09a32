#pragma once

#include <QTextStream>

class TreeModel;

// Writes every node in display order, depth first: two spaces per level, the
// node's key, a TAB, its text.
void writeTreeReport(const TreeModel& model, QTextStream& out);
