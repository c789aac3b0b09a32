#pragma once

#include <QDate>
#include <QLocale>
#include <QStringView>

#include <cstring>
#include <optional>

// The order in which a log writes day and month, when its own dates settle it.
enum class DayMonthOrder { Locale, MonthFirst, DayFirst };

// Decides whether a text reads as a date the way the user's locale writes short
// dates: day, month and year in the locale's order, 1-2 digit day and month, a 2-
// or 4-digit year, separated by "/", "-" or ".". When the locale's order gives no
// valid date the other day/month order is tried too, as the platform's own date
// conversion does. Two-digit years fall in 1930-2029. Nothing may follow the year.
//
// A log's own dates can settle its day/month order (see DateOrderEvidence);
// read() then takes day and month in that order first. Whether a text passes
// does not change: it passes in either order.
class DateTest {
public:
    explicit DateTest(const QLocale& locale = QLocale::system());

    void setReadingOrder(DayMonthOrder order);
    DayMonthOrder readingOrder() const { return readingOrder_; }

    std::optional<QDate> read(QStringView text) const;
    std::optional<QDate> read(QByteArrayView text) const; // ASCII bytes
    bool passes(QStringView text) const { return read(text).has_value(); }
    bool passes(QByteArrayView text) const { return read(text).has_value(); }

    const QLocale& locale() const { return locale_; }

private:
    enum Field { Day, Month, Year };
    template <typename Char> std::optional<QDate> readChars(const Char* text, qsizetype size) const;

    QLocale locale_;
    Field localeOrder_[3];
    Field order_[3]; // the order read() tries first
    DayMonthOrder readingOrder_ = DayMonthOrder::Locale;
};

// What a log's dates say of their day/month order: of two fields before the
// year, one above 12 can only be the day. Dates of every kind in one log (a
// day above 12 first on some lines, second on others) settle nothing.
class DateOrderEvidence {
public:
    // A date head that passed the date test.
    void note(QByteArrayView head);
    DayMonthOrder settled() const;

private:
    bool dayFirst_ = false;
    bool monthFirst_ = false;
};

// The date test on the first N (10 or 8) characters of lines, remembering the
// last head that passed: the lines of a log share their date for hours on end.
template <int N> class DateHeadTest {
    static_assert(N == 10 || N == 8);

public:
    // Every new head that passes is told to `evidence`, when given.
    explicit DateHeadTest(const DateTest& dateTest, DateOrderEvidence* evidence = nullptr)
        : dateTest_(dateTest), evidence_(evidence)
    {
    }

    bool operator()(QByteArrayView line)
    {
        const qsizetype size = line.size();
        if (size >= N && has_ && sameHead(line.data()))
            return true;
        // The date test reads only digits and separators: a line whose 9th
        // character is anything else cannot pass with its first 10.
        if (N == 10 && size >= 9 && !isDateChar(line[8]))
            return false;
        const QByteArrayView head = line.first(qMin<qsizetype>(N, size));
        if (!dateTest_.passes(head))
            return false;
        if (evidence_)
            evidence_->note(head);
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
    DateOrderEvidence* evidence_;
    char last_[N] = {};
    bool has_ = false;
};
