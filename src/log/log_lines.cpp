#include "log/log_lines.h"

#include "log/text_decoding.h"

QString LogLines::line(int i) const
{
    return decodeLogText(raw(i));
}
