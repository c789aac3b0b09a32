#include "tree/tree_search.h"

#include "tree/tree_model.h"

int findNode(const TreeModel& model, const QString& searchText, bool caseSensitive,
             SearchRange range, int selected)
{
    const int count = model.nodeCount();
    int first = 1;
    int last = count;
    int step = 1;
    switch (range) {
    case SearchRange::FromFirst:
        break;
    case SearchRange::Next:
        if (selected <= 0)
            return 0;
        first = selected + 1;
        break;
    case SearchRange::Previous:
        if (selected <= 0)
            return 0;
        first = selected - 1;
        last = 1;
        step = -1;
        break;
    }
    // Without regard to case both sides are compared upper-cased; the needle once.
    const QString needle = caseSensitive ? searchText : searchText.toUpper();
    const Qt::CaseSensitivity sensitivity = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int position = first; step > 0 ? position <= last : position >= last; position += step) {
        if (model.text(position).contains(needle, sensitivity))
            return position;
    }
    return 0;
}
