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

// The date test on the first N (10 or 8) characters of lines, remembering the
// last head that passed: the lines of a log share their date for hours on end.
template <int N> class DateHeadTest {
    static_assert(N == 10 || N == 8);

public:
    explicit DateHeadTest(const DateTest& dateTest) : dateTest_(dateTest) {}

    bool operator()(QByteArrayView line)
    {
        const qsizetype size = line.size();
        if (size >= N && has_ && sameHead(line.data()))
            return true;
        // The date test reads only digits and separators: a line whose 9th
        // character is anything else cannot pass with its first 10.
        if (N == 10 && size >= 9 && !isDateChar(line[8]))
            return false;
        if (!dateTest_.passes(line.first(qMin<qsizetype>(N, size))))
            return false;
        if (size >= N) {
            std::memcpy(last_, line.data(), N);
            has_ = true;
        }
        return true;
    }

private:
    // Compared as whole words.
    bool sameHead(const char* head) const
    {
        quint64 x, y;
        std::memcpy(&x, head, 8);
        std::memcpy(&y, last_, 8);
        if constexpr (N == 8) {
            return x == y;
        } else {
            quint16 u, v;
            std::memcpy(&u, head + 8, 2);
            std::memcpy(&v, last_ + 8, 2);
            return x == y && u == v;
        }
    }

    static constexpr bool isDateChar(char c)
    {
        return (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.';
    }

    const DateTest& dateTest_;
    char last_[N] = {};
    bool has_ = false;
};
