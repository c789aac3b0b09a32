#include "tree/sort_order.h"

namespace {
const char* const kNames[] = {"none", "date", "name", "url", "local"};
}

QString sortOrderName(SortOrder order)
{
    return QString::fromLatin1(kNames[static_cast<int>(order)]);
}

bool sortOrderFromName(const QString& name, SortOrder* order)
{
    for (int i = 0; i < 5; ++i) {
        if (name == QLatin1String(kNames[i])) {
            *order = static_cast<SortOrder>(i);
            return true;
        }
    }
    return false;
}
