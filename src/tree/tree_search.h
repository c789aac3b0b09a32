#pragma once

#include <QString>

class TreeModel;

// Finding nodes by a piece of their text, over node positions in order of
// addition (not screen order). The search does not wrap.
enum class SearchRange {
    FromFirst, // positions 1 .. count
    Next,      // selected + 1 .. count
    Previous,  // selected - 1 .. 1, backwards
};

// Gives the position of the first node whose text contains searchText, or 0.
// selected is the position of the selected node, 0 when there is none (then
// Next and Previous visit nothing). An empty search text matches every node.
int findNode(const TreeModel& model, const QString& searchText, bool caseSensitive,
             SearchRange range, int selected);
