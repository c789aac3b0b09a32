#pragma once

#include <QDate>
#include <QLocale>
#include <QStringView>

#include <cstring>
#include <optional>

// Decides whether a text reads as a date the way the user's locale writes short
// dates: day, month and year in the locale's order, 1-2 digit day and month, a 2-
// or 4-digit year, separated by "/", "-" or ".". When the locale's order gives no
// valid date the other day/month order is tried too, as the platform's own date
// conversion does. Two-digit years fall in 1930-2029. Nothing may follow the year.
class DateTest {
public:
    explicit DateTest(const QLocale& locale = QLocale::system());

    std::optional<QDate> read(QStringView text) const;
    std::optional<QDate> read(QByteArrayView text) const; // ASCII bytes
    bool passes(QStringView text) const { return read(text).has_value(); }
    bool passes(QByteArrayView text) const { return read(text).has_value(); }

    const QLocale& locale() const { return locale_; }

private:
    enum Field { Day, Month, Year };
    template <typename Char> std::optional<QDate> readChars(const Char* text, qsizetype size) const;

    QLocale locale_;
    Field order_[3];
};

// For tests that remember the last date head that passed: whether N (8 or 10)
// bytes are the same, compared as whole words.
template <int N> bool sameDateHead(const char* a, const char* b)
{
    static_assert(N == 8 || N == 10);
    quint64 x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if constexpr (N == 8) {
        return x == y;
    } else {
        quint16 u, v;
        std::memcpy(&u, a + 8, 2);
        std::memcpy(&v, b + 8, 2);
        return x == y && u == v;
    }
}

// Whether the date test reads the character at all: digits and separators.
constexpr bool isDateChar(char c)
{
    return (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.';
}
