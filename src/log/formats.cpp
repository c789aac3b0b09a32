#include "log/formats.h"

#include <QTime>

Formats::Formats(const QLocale& locale)
    : locale_(locale), dateTest_(locale), timeFormat_(QStringLiteral("hh:mm:ss AP"))
{
}

QString Formats::shortDate(const QDate& date) const
{
    return locale_.toString(date, QLocale::ShortFormat);
}

QString Formats::shortDate(QStringView text) const
{
    if (text == lastDatePiece_ && !lastDatePiece_.isEmpty())
        return lastDateText_;
    const auto date = dateTest_.read(text);
    QString formatted = date ? shortDate(*date) : text.toString();
    lastDatePiece_ = text.toString();
    lastDateText_ = formatted;
    return formatted;
}

QString Formats::longDate(QStringView text) const
{
    const auto date = dateTest_.read(text);
    return date ? locale_.toString(*date, QLocale::LongFormat) : text.toString();
}

QString Formats::time(QStringView text) const
{
    const QString trimmed = trimSpaces(text).toString();
    // The log writes 24-hour times; texts already formatted carry the designator.
    static const QString formats[] = {
        QStringLiteral("H:mm:ss"), QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm:ss ap"),
        QStringLiteral("H:mm"), QStringLiteral("h:mm AP"),
    };
    for (const QString& format : formats) {
        QTime time = QTime::fromString(trimmed, format);
        if (!time.isValid())
            time = locale_.toTime(trimmed, format);
        if (time.isValid())
            return locale_.toString(time, timeFormat_);
    }
    return text.toString();
}

QString Formats::groupedDigits(qint64 number) const
{
    if (number == 0)
        return QString();
    QLocale grouped = locale_;
    grouped.setNumberOptions(locale_.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(number);
}

QString Formats::dateTimeText(QStringView datePiece, QStringView timePiece) const
{
    return shortDate(datePiece) + QStringLiteral(" - ") + time(timePiece);
}

std::pair<QStringView, QStringView> splitDateTime(QStringView text)
{
    const qsizetype at = text.indexOf(QStringLiteral(" - "));
    if (at < 0)
        return {text, QStringView()};
    return {text.first(at), text.sliced(at + 3)};
}

QStringView trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}
