#include "log/kilobytes.h"

#include "log/formats.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kMaxKilobytes = std::numeric_limits<qint64>::max();
constexpr qint64 kMinKilobytes = std::numeric_limits<qint64>::min();

} // namespace

std::optional<double> readByteCount(QStringView text)
{
    const QStringView t = trimSpaces(text);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digitsStart = i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i;
    bool any = i > digitsStart;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        const qsizetype fractionStart = i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
            ++i;
        any = any || i > fractionStart;
    }
    if (!any || i != t.size())
        return std::nullopt;
    bool ok = false;
    const double value = t.toString().toDouble(&ok);
    // Beyond 2^62 bytes is no download; it would only overflow the totals.
    if (!ok || !std::isfinite(value) || std::fabs(value) > 4.6e18)
        return std::nullopt;
    return value;
}

std::optional<double> readByteCount(QLatin1StringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.data()[begin] == ' ')
        ++begin;
    while (end > begin && text.data()[end - 1] == ' ')
        --end;
    // Plain digits, the form the log writes, are read directly: a whole number
    // below 10^18 converts to the same double as the text does.
    if (end > begin && end - begin <= 18) {
        quint64 value = 0;
        qsizetype i = begin;
        for (; i < end && text.data()[i] >= '0' && text.data()[i] <= '9'; ++i)
            value = value * 10 + quint64(text.data()[i] - '0');
        if (i == end)
            return double(value);
    }
    return readByteCount(QStringView(QString(text)));
}

double roundHalfEven(double value)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(mode);
    return rounded;
}

qint64 addKilobytes(qint64 base, double bytes)
{
    if (bytes == std::floor(bytes)) {
        // Whole bytes: exact integer arithmetic, halves to even.
        const qint64 b = static_cast<qint64>(bytes);
        qint64 q = b / 1024;
        qint64 r = b % 1024;
        if (r < 0) {
            r += 1024;
            q -= 1;
        }
        // A total beyond 2^63 KB comes from no real log; it stops at the limit.
        qint64 whole = 0;
        if (qAddOverflow(base, q, &whole))
            return q > 0 ? kMaxKilobytes : kMinKilobytes;
        if ((r * 2 > 1024 || (r * 2 == 1024 && (whole & 1))) && whole < kMaxKilobytes)
            return whole + 1;
        return whole;
    }
    const double total = roundHalfEven(static_cast<double>(base) + bytes / 1024.0);
    if (total >= 9223372036854775808.0)
        return kMaxKilobytes;
    if (total < -9223372036854775808.0)
        return kMinKilobytes;
    return static_cast<qint64>(total);
}
