#pragma once

#include "log/date_test.h"

#include <QLocale>
#include <QString>

// The locale's named formats as the analysis and the tree use them. A text that
// does not read as a date (or a time) is given back unchanged.
class Formats {
public:
    explicit Formats(const QLocale& locale = QLocale::system());

    const QLocale& locale() const { return locale_; }
    const DateTest& dateTest() const { return dateTest_; }

    QString shortDate(const QDate& date) const;
    QString shortDate(QStringView text) const; // "Short Date"
    QString longDate(QStringView text) const;  // "Long Date"
    QString time(QStringView text) const;      // "hh:mm:ss AMPM"
    // "###,###" and "###,###,###": grouped digits, nothing at all for 0.
    QString groupedDigits(qint64 number) const;

    // A record's date-time text: the date piece as a short date, " - ", the time piece.
    QString dateTimeText(QStringView datePiece, QStringView timePiece) const;

private:
    QLocale locale_;
    DateTest dateTest_;
    QString timeFormat_;
    // Consecutive lines mostly share their date; remember the last one formatted.
    mutable QString lastDatePiece_;
    mutable QString lastDateText_;
};

// Splits a date-time text at its first " - ": the date before it, the time after.
// Without " - " the whole text is the date part and the time part is empty.
std::pair<QStringView, QStringView> splitDateTime(QStringView text);

// Removes space characters (only spaces) at both ends.
QStringView trimSpaces(QStringView text);
