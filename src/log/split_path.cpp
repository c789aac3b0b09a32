#include "log/split_path.h"

SplitPathResult splitPath(QStringView text)
{
    qsizetype at = text.size() - 1;
    while (at >= 0 && text[at] != QLatin1Char('/') && text[at] != QLatin1Char('\\'))
        --at;
    return {text.first(at + 1).toString(), text.sliced(at + 1).toString().toLower()};
}
