#pragma once

#include <QString>

// A URL or path split at its last "/" or "\": the folder part, separator
// included, and the name part in lower case.
struct SplitPathResult {
    QString folder;
    QString name;
};

SplitPathResult splitPath(QStringView text);
