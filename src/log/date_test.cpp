#include "log/date_test.h"

#include <algorithm>
#include <array>

namespace {

int twoDigitYear(int year)
{
    return year < 30 ? 2000 + year : 1900 + year;
}

} // namespace

DateTest::DateTest(const QLocale& locale) : locale_(locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    std::array<std::pair<qsizetype, Field>, 3> found{{
        {format.indexOf(QLatin1Char('d')), Day},
        {format.indexOf(QLatin1Char('M')), Month},
        {format.indexOf(QLatin1Char('y')), Year},
    }};
    if (std::any_of(found.begin(), found.end(), [](const auto& f) { return f.first < 0; })) {
        found = {{{0, Month}, {1, Day}, {2, Year}}};
    }
    std::sort(found.begin(), found.end());
    for (int i = 0; i < 3; ++i)
        localeOrder_[i] = order_[i] = found[i].second;
}

void DateTest::setReadingOrder(DayMonthOrder order)
{
    readingOrder_ = order;
    static constexpr Field MonthFirst[3] = {Month, Day, Year};
    static constexpr Field DayFirst[3] = {Day, Month, Year};
    const Field* fields = order == DayMonthOrder::MonthFirst ? MonthFirst
                          : order == DayMonthOrder::DayFirst ? DayFirst
                                                             : localeOrder_;
    std::copy(fields, fields + 3, order_);
}

void DateOrderEvidence::note(QByteArrayView head)
{
    // Two fields of one or two digits, then the year of two or four.
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (const char c : head) {
        if (c >= '0' && c <= '9') {
            values[part] = values[part] * 10 + (c - '0');
            ++digits[part];
        } else if (++part > 2) {
            return;
        }
    }
    if (part != 2 || digits[0] > 2 || digits[1] > 2 || (digits[2] != 2 && digits[2] != 4))
        return;
    if (values[0] > 12 && values[0] <= 31)
        dayFirst_ = true;
    if (values[1] > 12 && values[1] <= 31)
        monthFirst_ = true;
}

DayMonthOrder DateOrderEvidence::settled() const
{
    if (dayFirst_ == monthFirst_)
        return DayMonthOrder::Locale;
    return dayFirst_ ? DayMonthOrder::DayFirst : DayMonthOrder::MonthFirst;
}

template <typename Char>
std::optional<QDate> DateTest::readChars(const Char* text, qsizetype size) const
{
    // Three runs of digits with one separator between each; the same separator twice.
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    char separator = 0;
    int part = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned>(text[i]);
        if (c >= '0' && c <= '9') {
            if (++digits[part] > 4)
                return std::nullopt;
            values[part] = values[part] * 10 + static_cast<int>(c - '0');
        } else if (c == '/' || c == '-' || c == '.') {
            if (digits[part] == 0 || part == 2)
                return std::nullopt;
            if (separator == 0)
                separator = static_cast<char>(c);
            else if (separator != static_cast<char>(c))
                return std::nullopt;
            ++part;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits[2] == 0)
        return std::nullopt;

    auto attempt = [&](const Field* order) -> std::optional<QDate> {
        int day = 0, month = 0, year = 0;
        for (int i = 0; i < 3; ++i) {
            switch (order[i]) {
            case Day:
                if (digits[i] > 2)
                    return std::nullopt;
                day = values[i];
                break;
            case Month:
                if (digits[i] > 2)
                    return std::nullopt;
                month = values[i];
                break;
            case Year:
                if (digits[i] == 2)
                    year = twoDigitYear(values[i]);
                else if (digits[i] == 4)
                    year = values[i];
                else
                    return std::nullopt;
                break;
            }
        }
        const QDate date(year, month, day);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    };

    if (auto date = attempt(order_))
        return date;
    Field swapped[3] = {order_[0], order_[1], order_[2]};
    for (Field& f : swapped)
        f = f == Day ? Month : f == Month ? Day : Year;
    return attempt(swapped);
}

std::optional<QDate> DateTest::read(QStringView text) const
{
    return readChars(text.utf16(), text.size());
}

std::optional<QDate> DateTest::read(QByteArrayView text) const
{
    return readChars(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}
