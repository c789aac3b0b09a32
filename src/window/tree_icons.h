#pragma once

#include <QIcon>

// The ten 16 x 16 pictures of the download tree, drawn in code so they stay
// crisp and need no files. index is 1-based, as the tree's nodes carry it.
QIcon treeIcon(int index);
