#include "monitor/download_info.h"

#include <cmath>

namespace {

std::optional<double> readNumber(const QString& text, const QLocale& locale)
{
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString formatHashes(double value)
{
    // std::round rounds halves away from zero, as the formatting patterns do
    // (unlike the banker's rounding of integer conversion).
    const double rounded = std::round(value);
    if (rounded == 0.0)
        return QString();
    return QString::number(rounded, 'f', 0);
}

std::optional<DownloadInfoItem> splitDownloadInfo(const QString& reply, const QLocale& locale)
{
    const qsizetype first = reply.indexOf(QLatin1Char('|'));
    if (first < 0)
        return std::nullopt;
    const qsizetype second = reply.indexOf(QLatin1Char('|'), first + 1);
    if (second < 0)
        return std::nullopt;
    const qsizetype third = reply.indexOf(QLatin1Char('|'), second + 1);
    if (third < 0)
        return std::nullopt;

    const std::optional<double> bytes =
        readNumber(reply.mid(first + 1, second - first - 1), locale);
    if (!bytes)
        return std::nullopt;

    DownloadInfoItem item;
    item.title = reply.left(first);
    item.sizeKB = formatHashes(*bytes / 1024.0);
    item.detail = reply.mid(second + 1, third - second - 1);
    item.rest = reply.mid(third + 1);
    return item;
}
