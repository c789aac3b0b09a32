#pragma once

#include "log/date_test.h"

#include <QLatin1StringView>
#include <QLocale>
#include <QString>

#include <memory>
#include <string>

// The locale's named formats as the analysis and the tree use them. A text that
// does not read as a date (or a time) is given back unchanged.
class Formats {
public:
    explicit Formats(const QLocale& locale = QLocale::system());

    const QLocale& locale() const { return locale_; }
    const DateTest& dateTest() const { return dateTest_; }

    // Dates as the log writes them are read in the day/month order that the
    // loaded log settles (LogSession::logDateOrder); the texts made from them
    // are in the locale's short date, and dateTest(), shortDate(text) and
    // longDate() read those in the locale's order.
    void setLogDateOrder(DayMonthOrder order);
    DayMonthOrder logDateOrder() const { return logDates_.readingOrder(); }
    std::optional<QDate> readLogDate(QStringView text) const { return logDates_.read(text); }
    // A log line's date and time pieces as a record's date-time text: the date
    // as a short date, " - ", the time formatted.
    QString logDateTimeText(QStringView datePiece, QStringView timePiece) const;
    // The same for ASCII pieces, remembered per piece; false when the text does not fit Latin-1.
    bool appendLogShortDate(QLatin1StringView piece, std::string& out) const;

    QString shortDate(const QDate& date) const;
    QString shortDate(QStringView text) const; // "Short Date"
    QString longDate(QStringView text) const;  // "Long Date"
    QString time(QStringView text) const;      // "hh:mm:ss AMPM"
    // "###,###" and "###,###,###": grouped digits, nothing at all for 0.
    QString groupedDigits(qint64 number) const;

    // The same formats for pieces given as Latin-1 (cut out of a log line or a
    // record), remembered per piece: a log repeats its dates and times endlessly.
    // Each appends the text that the QString form gives to out and gives true,
    // or gives false (out unchanged) when that text does not fit in Latin-1.
    bool appendShortDate(QLatin1StringView piece, std::string& out) const;
    bool appendLongDate(QLatin1StringView piece, std::string& out) const;
    bool appendTime(QLatin1StringView piece, std::string& out) const;
    // "###,###,###" of a number, as groupedDigits().
    bool appendGroupedDigits(qint64 number, std::string& out) const;

    Formats(const Formats&) = delete;
    Formats& operator=(const Formats&) = delete;
    ~Formats();

private:
    class PieceCache;
    class TimeTemplates;

    QString logShortDate(QStringView text) const;

    QLocale locale_;
    DateTest dateTest_;
    DateTest logDates_;
    QString timeFormat_;
    // Consecutive lines mostly share their date; remember the last one formatted.
    mutable QString lastDatePiece_;
    mutable QString lastDateText_;
    std::unique_ptr<PieceCache> shortDates_;
    std::unique_ptr<PieceCache> logShortDates_;
    std::unique_ptr<PieceCache> longDates_;
    std::unique_ptr<PieceCache> times_;
    mutable std::unique_ptr<TimeTemplates> timeTemplates_; // made on first use
    QString groupSeparator_;                               // the locale's, when grouping is plain
    bool plainGrouping_ = false;
};

// Splits a date-time text at its first " - ": the date before it, the time after.
// Without " - " the whole text is the date part and the time part is empty.
std::pair<QStringView, QStringView> splitDateTime(QStringView text);

// Removes space characters (only spaces) at both ends.
QStringView trimSpaces(QStringView text);
