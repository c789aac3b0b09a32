#include "platform/wine_reg_file.h"

#include <QByteArray>

namespace {

// '\n' never reaches here: the text is split into lines first.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

QByteArrayView trimmedLeft(QByteArrayView s)
{
    while (!s.isEmpty() && isSpace(s.front()))
        s = s.sliced(1);
    return s;
}

QByteArrayView trimmedRight(QByteArrayView s)
{
    while (!s.isEmpty() && isSpace(s.back()))
        s.chop(1);
    return s;
}

QString cutAtNul(QString text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

class LineReader {
public:
    explicit LineReader(QByteArrayView text) : m_text(text) {}

    bool next(QByteArrayView& line)
    {
        if (m_pos >= m_text.size())
            return false;
        qsizetype end = m_text.indexOf('\n', m_pos);
        if (end < 0)
            end = m_text.size();
        line = m_text.sliced(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

struct Quoted {
    QString text;
    qsizetype end = -1; // index just past the closing delimiter; -1 when it is missing
};

// Decodes quoted text up to its unescaped closing delimiter, the way Wine reads
// it back: C escapes, \xN to \xNNNN (one UTF-16 unit), \N to \NNN octal, any other
// escaped character stands for itself; bytes above ASCII are UTF-8.
Quoted readQuoted(QByteArrayView s, char delimiter)
{
    Quoted q;
    qsizetype i = 0;
    qsizetype utf8Start = -1; // a run of non-ASCII bytes, decoded in one go
    auto flushUtf8 = [&] {
        if (utf8Start >= 0)
            q.text += QString::fromUtf8(s.sliced(utf8Start, i - utf8Start));
        utf8Start = -1;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            if (utf8Start < 0)
                utf8Start = i;
            ++i;
            continue;
        }
        flushUtf8();
        if (c == delimiter) {
            q.end = i + 1;
            return q;
        }
        ++i;
        if (c != '\\') {
            q.text += QLatin1Char(c);
            continue;
        }
        if (i == s.size())
            break;
        const char e = s[i++];
        switch (e) {
        case 'a':
            q.text += QChar(u'\a');
            break;
        case 'b':
            q.text += QChar(u'\b');
            break;
        case 'e':
            q.text += QChar(u'\x1b');
            break;
        case 'f':
            q.text += QChar(u'\f');
            break;
        case 'n':
            q.text += QChar(u'\n');
            break;
        case 'r':
            q.text += QChar(u'\r');
            break;
        case 't':
            q.text += QChar(u'\t');
            break;
        case 'v':
            q.text += QChar(u'\v');
            break;
        case 'x': {
            char16_t unit = 0;
            int digits = 0;
            for (; digits < 4 && i < s.size() && hexValue(s[i]) >= 0; ++digits)
                unit = char16_t(unit * 16 + hexValue(s[i++]));
            q.text += digits > 0 ? QChar(unit) : QChar(u'x');
            break;
        }
        default:
            if (isOctal(e)) {
                char16_t unit = char16_t(e - '0');
                for (int digits = 1; digits < 3 && i < s.size() && isOctal(s[i]); ++digits)
                    unit = char16_t(unit * 8 + (s[i++] - '0'));
                q.text += QChar(unit);
            } else if (static_cast<unsigned char>(e) >= 0x80) {
                --i; // an escaped non-ASCII character is just that character
            } else {
                q.text += QLatin1Char(e); // \\ \" \] and unknown escapes
            }
        }
    }
    flushUtf8();
    return q;
}

// Hex data as Wine writes it: bytes of one or two hex digits separated by
// commas. Continuation lines have been joined with blanks, so blanks separate too.
std::optional<QByteArray> readHexBytes(QByteArrayView s)
{
    QByteArray bytes;
    qsizetype i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == ',' || isSpace(s[i])))
            ++i;
        if (i == s.size())
            return bytes;
        int value = 0;
        const qsizetype start = i;
        for (; i < s.size() && hexValue(s[i]) >= 0; ++i) {
            value = value * 16 + hexValue(s[i]);
            if (value > 0xff)
                return std::nullopt;
        }
        if (i == start)
            return std::nullopt;
        bytes += char(value);
    }
}

QString fromUtf16Le(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) // an odd last byte is dropped
        text += QChar(char16_t(static_cast<unsigned char>(bytes[i]) |
                               static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

// The text of a value's data when it is of type REG_SZ. Wine writes REG_SZ as
// "..." (or str:"..."), and as hex(1): when the stored string is not properly
// NUL-terminated. str(2): (REG_EXPAND_SZ), str(7):, dword:, hex: and the other
// hex(N): types are not REG_SZ.
std::optional<QString> readStringData(QByteArrayView data)
{
    if (data.size() > kMaxWineRegValueBytes)
        return std::nullopt;
    for (QByteArrayView prefix : {QByteArrayView("\""), QByteArrayView("str:\"")}) {
        if (data.startsWith(prefix)) {
            const Quoted q = readQuoted(data.sliced(prefix.size()), '"');
            if (q.end < 0)
                return std::nullopt; // no closing quote: a truncated line
            return cutAtNul(q.text);
        }
    }
    if (!data.startsWith("hex("))
        return std::nullopt;
    const qsizetype close = data.indexOf("):");
    if (close < 0)
        return std::nullopt;
    bool ok = false;
    const uint type = data.sliced(4, close - 4).toUInt(&ok, 16);
    if (!ok || type != 1)
        return std::nullopt;
    const std::optional<QByteArray> bytes = readHexBytes(data.sliced(close + 2));
    if (!bytes)
        return std::nullopt;
    return cutAtNul(fromUtf16Le(*bytes));
}

} // namespace

std::optional<QString> findWineRegString(QByteArrayView regText, QStringView keyPath,
                                         QStringView valueName)
{
    while (keyPath.endsWith(u'\\'))
        keyPath.chop(1);

    std::optional<QString> found;
    bool inKey = false;
    LineReader lines(regText);
    QByteArrayView line;
    while (lines.next(line)) {
        line = trimmedLeft(line);
        if (line.startsWith('[')) {
            // A header that never closes leaves no key open, as in Wine.
            const Quoted key = readQuoted(line.sliced(1), ']');
            inKey =
                key.end >= 0 && QStringView(key.text).compare(keyPath, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!line.startsWith('"') && !line.startsWith('@'))
            continue; // comments, #options, blank lines, stray hex lines
        // Outside the wanted key only a line that goes on to the next one matters.
        if (!inKey && !trimmedRight(line).endsWith('\\'))
            continue;

        QString name;
        QByteArrayView rest = line.sliced(1);
        if (line.startsWith('"')) {
            const Quoted q = readQuoted(rest, '"');
            if (q.end < 0)
                continue;
            name = q.text;
            rest = rest.sliced(q.end);
        }
        rest = trimmedLeft(rest);
        if (!rest.startsWith('='))
            continue;
        const QByteArrayView data = trimmedRight(trimmedLeft(rest.sliced(1)));
        const bool wanted = inKey && QStringView(name).compare(valueName, Qt::CaseInsensitive) == 0;

        if (!data.startsWith("hex")) {
            if (wanted)
                found = readStringData(data);
            continue;
        }
        // Hex data goes on over the following lines while a line ends in a backslash.
        QByteArray joined;
        QByteArrayView piece = data;
        bool complete = true;
        for (;;) {
            const bool more = piece.endsWith('\\');
            if (more)
                piece.chop(1);
            if (wanted && joined.size() <= kMaxWineRegValueBytes)
                joined.append(piece).append(' ');
            if (!more)
                break;
            if (!lines.next(piece)) {
                complete = false;
                break;
            }
            piece = trimmedRight(trimmedLeft(piece));
        }
        if (wanted)
            found = complete ? readStringData(joined) : std::nullopt;
    }
    return found;
}
