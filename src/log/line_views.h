#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <cstring>
#include <string_view>

// A log line is read the same way whether it is held as text (QStringView) or,
// when every character is ASCII, as its bytes (QLatin1StringView): then the
// characters are the bytes and the positions agree. These helpers give both the
// same meaning as QString's members, without Qt's slower Latin-1 searches.
namespace LineViews {

inline std::string_view bytes(QLatin1StringView v)
{
    return {v.data(), std::size_t(v.size())};
}

// The view from index on; empty when index is at or past the end.
template <typename View> View from(View line, qsizetype index)
{
    return index < line.size() ? line.sliced(index) : View();
}

// At most n characters from pos; empty when pos is past the end (as mid()).
template <typename View> View midOf(View line, qsizetype pos, qsizetype n)
{
    if (pos > line.size())
        return View();
    return line.sliced(pos, qMin(n, line.size() - pos));
}

// Without space characters (only spaces) at both ends.
template <typename View> View trimSpaces(View text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

// First index of c or needle at or after from, or -1.
inline qsizetype find(QLatin1StringView hay, char c, qsizetype from)
{
    const auto at = bytes(hay).find(c, std::size_t(qMax<qsizetype>(from, 0)));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}
inline qsizetype find(QStringView hay, char c, qsizetype from)
{
    return hay.indexOf(QLatin1Char(c), from);
}
inline qsizetype find(QLatin1StringView hay, QLatin1StringView needle, qsizetype from = 0)
{
    const auto at = bytes(hay).find(bytes(needle), std::size_t(qMax<qsizetype>(from, 0)));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}
inline qsizetype find(QStringView hay, QLatin1StringView needle, qsizetype from = 0)
{
    return hay.indexOf(needle, from);
}

inline bool startsWith(QLatin1StringView text, QLatin1StringView prefix)
{
    return text.size() >= prefix.size() &&
           std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}
inline bool startsWith(QStringView text, QLatin1StringView prefix)
{
    return text.startsWith(prefix);
}
// The same for a prefix known when compiling, which the compiler compares in place.
template <std::size_t N> bool startsWith(QLatin1StringView text, const char (&prefix)[N])
{
    return std::size_t(text.size()) >= N - 1 && std::memcmp(text.data(), prefix, N - 1) == 0;
}
template <std::size_t N> bool startsWith(QStringView text, const char (&prefix)[N])
{
    return text.startsWith(QLatin1StringView(prefix, qsizetype(N - 1)));
}

// Whether an ASCII text ends with an ASCII suffix, without regard to case.
inline bool endsWithIgnoringCase(QLatin1StringView text, QLatin1StringView suffix)
{
    if (text.size() < suffix.size())
        return false;
    const char* t = text.data() + (text.size() - suffix.size());
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        char a = t[i], b = suffix.data()[i];
        if (a >= 'a' && a <= 'z')
            a = char(a - 32);
        if (b >= 'a' && b <= 'z')
            b = char(b - 32);
        if (a != b)
            return false;
    }
    return true;
}
inline bool endsWithIgnoringCase(QStringView text, QLatin1StringView suffix)
{
    return text.endsWith(suffix, Qt::CaseInsensitive);
}

// The part after the last "/" or "\" (the whole text without either), not
// yet lower-cased: SplitPath's name part.
template <typename View> View namePart(View text)
{
    qsizetype at = text.size() - 1;
    while (at >= 0 && text[at] != QLatin1Char('/') && text[at] != QLatin1Char('\\'))
        --at;
    return text.sliced(at + 1);
}

} // namespace LineViews
