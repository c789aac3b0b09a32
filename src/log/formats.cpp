#include "log/formats.h"

#include "log/line_views.h"
#include "records/record_text.h"

#include <QTime>

#include <array>
#include <cstring>
#include <deque>
#include <string_view>
#include <vector>

// Formatted texts by the piece they were made from. Pieces of up to 15 bytes
// are remembered (dates and times are 8 to 10); a time of the form hh:mm:ss
// has a slot of its own in a flat table.
class Formats::PieceCache {
public:
    // The text for the piece, or nullptr when it is not remembered yet. An
    // entry whose text does not fit in Latin-1 reads as a null view.
    const QLatin1StringView* find(QLatin1StringView piece) const
    {
        if (const int second = secondOfDay(piece); second >= 0) {
            const quint32 entry = bySecond_.empty() ? 0 : bySecond_[std::size_t(second)];
            return entry ? &entries_[entry - 1] : nullptr;
        }
        if (piece.size() > 15 || table_.empty())
            return nullptr;
        const Key key = keyOf(piece);
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = hashOf(key) & mask;; i = (i + 1) & mask) {
            const Cell& cell = table_[i];
            if (cell.entry == 0)
                return nullptr;
            if (cell.key == key)
                return &entries_[cell.entry - 1];
        }
    }

    const QLatin1StringView* insert(QLatin1StringView piece, const QString& text)
    {
        QLatin1StringView view; // null (no data at all): beyond Latin-1
        bool latin1 = true;
        for (const QChar c : text)
            latin1 = latin1 && c.unicode() <= 0xFF;
        if (latin1) {
            char* at = store(qMax<qsizetype>(text.size(), 1));
            for (qsizetype i = 0; i < text.size(); ++i)
                at[i] = char(text[i].unicode());
            view = QLatin1StringView(at, text.size());
        }
        if (const int second = secondOfDay(piece); second >= 0) {
            if (bySecond_.empty())
                bySecond_.assign(86400, 0);
            entries_.push_back(view);
            bySecond_[std::size_t(second)] = quint32(entries_.size());
            return &entries_.back();
        }
        if (piece.size() > 15)
            return nullptr;
        entries_.push_back(view);
        if ((keys_ + 1) * 2 > table_.size()) {
            std::vector<Cell> old(std::max<std::size_t>(64, table_.size() * 2));
            old.swap(table_);
            for (const Cell& cell : old)
                if (cell.entry)
                    place(cell);
        }
        place({keyOf(piece), quint32(entries_.size())});
        ++keys_;
        return &entries_.back();
    }

    // Appends the text that make() gives for the piece, remembered; false
    // (out unchanged) when that text does not fit in Latin-1.
    template <typename Make> bool append(QLatin1StringView piece, std::string& out, Make make)
    {
        // Lines in a row mostly share their date: the last piece goes first.
        const QLatin1StringView* text = nullptr;
        if (last_ && piece.size() == lastSize_ &&
            std::memcmp(piece.data(), lastBytes_, std::size_t(lastSize_)) == 0) {
            text = last_;
        } else {
            text = find(piece);
            if (!text)
                text = insert(piece, make(QString::fromLatin1(piece)));
            if (text && piece.size() <= qsizetype(sizeof lastBytes_)) {
                std::memcpy(lastBytes_, piece.data(), std::size_t(piece.size()));
                lastSize_ = piece.size();
                last_ = text;
            }
        }
        if (!text) {
            // Too long to remember: made each time.
            return appendIfLatin1(make(QString::fromLatin1(piece)), out);
        }
        if (text->isNull())
            return false;
        out.append(text->data(), std::size_t(text->size()));
        return true;
    }

private:
    struct Key {
        quint64 lo, hi;
        bool operator==(const Key&) const = default;
    };
    struct Cell {
        Key key;
        quint32 entry = 0; // entry + 1; 0: free
    };

    static std::size_t hashOf(const Key& k)
    {
        const quint64 h = (k.lo * 0x9E3779B97F4A7C15ull) ^ (k.hi * 0xBF58476D1CE4E5B9ull);
        return std::size_t(h ^ (h >> 29));
    }

    void place(const Cell& cell)
    {
        const std::size_t mask = table_.size() - 1;
        std::size_t i = hashOf(cell.key) & mask;
        while (table_[i].entry != 0)
            i = (i + 1) & mask;
        table_[i] = cell;
    }

    static Key keyOf(QLatin1StringView piece)
    {
        char bytes[16] = {};
        std::memcpy(bytes, piece.data(), piece.size());
        bytes[15] = char(piece.size());
        Key k;
        std::memcpy(&k.lo, bytes, 8);
        std::memcpy(&k.hi, bytes + 8, 8);
        return k;
    }

    // hh:mm:ss with hh < 24, mm and ss < 60: its second of the day, else -1.
    static int secondOfDay(QLatin1StringView p)
    {
        if (p.size() != 8 || p[2] != QLatin1Char(':') || p[5] != QLatin1Char(':'))
            return -1;
        int v[3];
        for (int i = 0; i < 3; ++i) {
            const char a = p.data()[i * 3], b = p.data()[i * 3 + 1];
            if (a < '0' || a > '9' || b < '0' || b > '9')
                return -1;
            v[i] = (a - '0') * 10 + (b - '0');
        }
        if (v[0] > 23 || v[1] > 59 || v[2] > 59)
            return -1;
        return v[0] * 3600 + v[1] * 60 + v[2];
    }

    char* store(qsizetype bytes)
    {
        if (blocks_.empty() || left_ < bytes) {
            const qsizetype size = std::max<qsizetype>(bytes, 64 * 1024);
            blocks_.emplace_back(new char[size]);
            next_ = blocks_.back().get();
            left_ = size;
        }
        char* at = next_;
        next_ += bytes;
        left_ -= bytes;
        return at;
    }

    const QLatin1StringView* last_ = nullptr; // the entry of the last piece asked for
    char lastBytes_[16] = {};
    qsizetype lastSize_ = 0;
    std::vector<quint32> bySecond_; // entry + 1, 0 when none yet
    std::vector<Cell> table_;       // open addressing by piece
    std::size_t keys_ = 0;
    std::deque<QLatin1StringView> entries_; // a deque: entries never move
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    qsizetype left_ = 0;
};

// A log has up to 86,400 different times, and formatting one through QTime
// costs microseconds. Within an hour the formatted text differs only in the
// digits of the minutes and seconds, so each hour's text is made once and the
// digits are set in it. That holds for a locale that writes ASCII digits at
// fixed places; each hour is checked on samples against time() itself, and an
// hour that fails the check goes through time() for every piece.
class Formats::TimeTemplates {
public:
    explicit TimeTemplates(const Formats& formats)
    {
        for (int h = 0; h < 24; ++h)
            build(formats, h);
        bySkeleton_.fill(-1);
        for (int h = 0; h < 24; ++h) {
            if (!hours_[std::size_t(h)].kept)
                continue;
            std::size_t i = hashOf(hours_[std::size_t(h)].text) % kSlots;
            while (bySkeleton_[i] >= 0)
                i = (i + 1) % kSlots;
            bySkeleton_[i] = qint8(h);
        }
    }

    // The text for a piece "hh:mm:ss" (24-hour clock), when its hour has a template.
    bool appendFromClock(int h, int m, int s, std::string& out) const
    {
        const Hour& hour = hours_[std::size_t(h)];
        if (!hour.fromClock)
            return false;
        out.append(hour.text);
        setDigits(out.data() + (out.size() - hour.text.size()), hour, m, s);
        return true;
    }

    // A piece that is a formatted time already ("08:11:31 AM") stays as it is,
    // when it fits an hour's template whose texts time() keeps.
    bool appendFormatted(QLatin1StringView piece, std::string& out) const
    {
        if (piece.size() != textSize_ || textSize_ == 0 || textSize_ > kMaxText)
            return false;
        for (const int at : {minuteAt_, minuteAt_ + 1, secondAt_, secondAt_ + 1}) {
            if (piece.data()[at] < '0' || piece.data()[at] > '9')
                return false;
        }
        // The hour whose text this is, the minutes and seconds aside.
        char skeleton[kMaxText];
        std::memcpy(skeleton, piece.data(), std::size_t(piece.size()));
        for (const int at : {minuteAt_, minuteAt_ + 1, secondAt_, secondAt_ + 1})
            skeleton[at] = '0';
        const std::string_view key(skeleton, std::size_t(piece.size()));
        const Hour* found = nullptr;
        for (std::size_t i = hashOf(key) % kSlots;; i = (i + 1) % kSlots) {
            const int hour = bySkeleton_[i];
            if (hour < 0)
                break;
            if (hours_[std::size_t(hour)].text == key) {
                found = &hours_[std::size_t(hour)];
                break;
            }
        }
        if (!found)
            return false;
        const int m = (piece.data()[minuteAt_] - '0') * 10 + (piece.data()[minuteAt_ + 1] - '0');
        const int s = (piece.data()[secondAt_] - '0') * 10 + (piece.data()[secondAt_ + 1] - '0');
        if (m > 59 || s > 59)
            return false;
        out.append(piece.data(), std::size_t(piece.size()));
        return true;
    }

private:
    struct Hour {
        std::string text; // the hour's text with minutes and seconds 00
        bool fromClock = false;
        bool kept = false;
    };

    static QString clock(int h, int m, int s)
    {
        return QStringLiteral("%1:%2:%3")
            .arg(h, 2, 10, QLatin1Char('0'))
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    }

    void setDigits(char* text, const Hour&, int m, int s) const
    {
        text[minuteAt_] = char('0' + m / 10);
        text[minuteAt_ + 1] = char('0' + m % 10);
        text[secondAt_] = char('0' + s / 10);
        text[secondAt_ + 1] = char('0' + s % 10);
    }

    std::string fromTemplate(const Hour& hour, int m, int s) const
    {
        std::string text = hour.text;
        setDigits(text.data(), hour, m, s);
        return text;
    }

    static bool toLatin1(const QString& text, std::string& out)
    {
        out.clear();
        for (const QChar c : text) {
            if (c.unicode() > 0xFF)
                return false;
            out.push_back(char(c.unicode()));
        }
        return true;
    }

    void build(const Formats& formats, int h)
    {
        Hour& hour = hours_[std::size_t(h)];
        std::string zero, sample;
        if (!toLatin1(formats.time(clock(h, 0, 0)), zero) ||
            !toLatin1(formats.time(clock(h, 12, 34)), sample) || zero.size() != sample.size())
            return;
        // Where the minutes and the seconds stand: the only places that differ.
        int minuteAt = -1, secondAt = -1;
        for (std::size_t i = 0; i + 1 < zero.size(); ++i) {
            if (minuteAt < 0 && zero.compare(i, 2, "00") == 0 && sample.compare(i, 2, "12") == 0)
                minuteAt = int(i);
            else if (secondAt < 0 && zero.compare(i, 2, "00") == 0 &&
                     sample.compare(i, 2, "34") == 0)
                secondAt = int(i);
        }
        if (minuteAt < 0 || secondAt < 0)
            return;
        if (textSize_ == 0) {
            textSize_ = qsizetype(zero.size());
            minuteAt_ = minuteAt;
            secondAt_ = secondAt;
        } else if (textSize_ != qsizetype(zero.size()) || minuteAt_ != minuteAt ||
                   secondAt_ != secondAt) {
            return;
        }
        hour.text = zero;
        std::string made;
        bool fromClock = true;
        bool kept = true;
        for (const auto& [m, s] : {std::pair{0, 0}, {12, 34}, {59, 59}, {7, 3}}) {
            const std::string expected = fromTemplate(hour, m, s);
            fromClock =
                fromClock && toLatin1(formats.time(clock(h, m, s)), made) && made == expected;
            kept = kept && toLatin1(formats.time(QString::fromLatin1(expected)), made) &&
                   made == expected;
        }
        hour.fromClock = fromClock;
        hour.kept = kept && !keptBySkeleton(zero);
    }

    // Whether an earlier hour with the same text is kept already: a text is
    // then found under that hour.
    bool keptBySkeleton(const std::string& text) const
    {
        for (const Hour& hour : hours_)
            if (hour.kept && hour.text == text)
                return true;
        return false;
    }

    static constexpr std::size_t kSlots = 64;
    static constexpr qsizetype kMaxText = 64;

    static std::size_t hashOf(std::string_view text)
    {
        std::size_t h = 1469598103934665603ull;
        for (const char c : text)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return h ^ (h >> 29);
    }

    std::array<Hour, 24> hours_;
    std::array<qint8, kSlots> bySkeleton_{}; // kept hours by their text, -1: free
    qsizetype textSize_ = 0;
    int minuteAt_ = 0;
    int secondAt_ = 0;
};

Formats::Formats(const QLocale& locale)
    : locale_(locale), dateTest_(locale), logDates_(locale),
      timeFormat_(QStringLiteral("hh:mm:ss AP")), shortDates_(std::make_unique<PieceCache>()),
      logShortDates_(std::make_unique<PieceCache>()), longDates_(std::make_unique<PieceCache>()),
      times_(std::make_unique<PieceCache>())
{
    // Grouping by threes with ASCII digits and one separator can be written
    // directly; any other form of the locale goes through QLocale every time.
    QLocale grouped = locale_;
    grouped.setNumberOptions(locale_.numberOptions() & ~QLocale::OmitGroupSeparator);
    const QString separator = grouped.groupSeparator();
    auto manual = [&](qint64 n) {
        QString digits = QString::number(n);
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, separator);
        return digits;
    };
    plainGrouping_ =
        separator.size() == 1 && separator[0].unicode() <= 0xFF && !separator[0].isDigit();
    for (const qint64 n : {1LL, 12LL, 999LL, 1000LL, 12345LL, 123456LL, 1234567LL, 987654321012LL,
                           4611686018427387904LL})
        plainGrouping_ = plainGrouping_ && grouped.toString(n) == manual(n);
    if (plainGrouping_)
        groupSeparator_ = separator;
}

Formats::~Formats() = default;

void Formats::setLogDateOrder(DayMonthOrder order)
{
    if (order == logDateOrder())
        return;
    logDates_.setReadingOrder(order);
    // What was remembered was read in the other order.
    logShortDates_ = std::make_unique<PieceCache>();
}

QString Formats::logShortDate(QStringView text) const
{
    const auto date = logDates_.read(text);
    return date ? shortDate(*date) : text.toString();
}

QString Formats::logDateTimeText(QStringView datePiece, QStringView timePiece) const
{
    return logShortDate(datePiece) + QStringLiteral(" - ") + time(timePiece);
}

bool Formats::appendLogShortDate(QLatin1StringView piece, std::string& out) const
{
    return logShortDates_->append(piece, out, [this](const QString& p) { return logShortDate(p); });
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
        QStringLiteral("H:mm"),    QStringLiteral("h:mm AP"),
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

std::pair<QStringView, QStringView> splitDateTime(QStringView text)
{
    const qsizetype at = text.indexOf(QStringLiteral(" - "));
    if (at < 0)
        return {text, QStringView()};
    return {text.first(at), text.sliced(at + 3)};
}

QStringView trimSpaces(QStringView text)
{
    return LineViews::trimSpaces(text);
}

bool Formats::appendShortDate(QLatin1StringView piece, std::string& out) const
{
    return shortDates_->append(piece, out, [this](const QString& p) { return shortDate(p); });
}

bool Formats::appendLongDate(QLatin1StringView piece, std::string& out) const
{
    return longDates_->append(piece, out, [this](const QString& p) { return longDate(p); });
}

bool Formats::appendTime(QLatin1StringView piece, std::string& out) const
{
    if (!timeTemplates_)
        timeTemplates_ = std::make_unique<TimeTemplates>(*this);
    if (piece.size() == 8 && piece[2] == QLatin1Char(':') && piece[5] == QLatin1Char(':')) {
        int v[3];
        bool digits = true;
        for (int i = 0; i < 3; ++i) {
            const char a = piece.data()[i * 3], b = piece.data()[i * 3 + 1];
            digits = digits && a >= '0' && a <= '9' && b >= '0' && b <= '9';
            v[i] = (a - '0') * 10 + (b - '0');
        }
        if (digits && v[0] < 24 && v[1] < 60 && v[2] < 60 &&
            timeTemplates_->appendFromClock(v[0], v[1], v[2], out))
            return true;
    } else if (timeTemplates_->appendFormatted(piece, out)) {
        return true;
    }
    return times_->append(piece, out, [this](const QString& p) { return time(p); });
}

bool Formats::appendGroupedDigits(qint64 number, std::string& out) const
{
    if (number == 0)
        return true;
    if (!plainGrouping_ || number < 0) {
        return appendIfLatin1(groupedDigits(number), out);
    }
    // From the right: three digits, then a separator.
    char text[32];
    char* const end = text + sizeof text;
    char* p = end;
    const char separator = char(groupSeparator_[0].unicode());
    int inGroup = 0;
    for (quint64 v = quint64(number); v; v /= 10) {
        if (inGroup == 3) {
            *--p = separator;
            inGroup = 0;
        }
        *--p = char('0' + v % 10);
        ++inGroup;
    }
    out.append(p, std::size_t(end - p));
    return true;
}
