#pragma once

#include <QString>

// The five orders of the download tree.
enum class SortOrder : quint8 {
    SortNone = 0,
    SortByDate = 1,
    SortByName = 2,
    SortByURL = 3,
    SortByLocal = 4,
};

// "none", "date", "name", "url", "local" (the report's words for the orders).
QString sortOrderName(SortOrder order);
bool sortOrderFromName(const QString& name, SortOrder* order);
