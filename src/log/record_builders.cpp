#include "log/record_builders.h"

#include "log/formats.h"
#include "log/kilobytes.h"
#include "log/line_views.h"
#include "log/log_session.h"

#include <optional>
#include <type_traits>

using namespace LineViews;

namespace {

const QLatin1StringView kGetRightSuffix(".GETRIGHT");

// A file name as SplitPath gives it: lower case. ASCII names are lowered into
// the buffer; other names as QString::toLower() does.
QLatin1StringView lowerName(QLatin1StringView name, std::string& buffer)
{
    buffer.assign(name.data(), std::size_t(name.size()));
    for (char& c : buffer)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return QLatin1StringView(buffer.data(), qsizetype(buffer.size()));
}

QString lowerName(QStringView name, std::string&)
{
    return name.toString().toLower();
}

// A file name to look up: keys are compared upper-cased, and an ASCII name
// upper-cases alike whether lowered first or not; any other name is lowered
// first, as SplitPath gives it.
QLatin1StringView lookupName(QLatin1StringView name, std::string&)
{
    return name;
}

QString lookupName(QStringView name, std::string&)
{
    return name.toString().toLower();
}

} // namespace

RecordBuilders::RecordBuilders(LogSession& session, const Formats& formats)
    : session_(session), formats_(formats)
{
}

int RecordBuilders::dateWidth() const
{
    return session_.wideDate ? 10 : 8;
}

int RecordBuilders::prefixWidth() const
{
    return dateWidth() + 12;
}

namespace {

// The date-time text of a line: its date piece as a short date, " - ", its time
// piece formatted. For ASCII bytes it is made in scratch from remembered pieces.
QAnyStringView dateTimeOf(QLatin1StringView line, int w, const Formats& formats,
                          std::string& scratch, QString& text)
{
    const QLatin1StringView date = line.first(qMin<qsizetype>(w, line.size()));
    const QLatin1StringView time = midOf(line, w + 1, 8);
    scratch.clear();
    if (formats.appendLogShortDate(date, scratch)) {
        scratch.append(" - ");
        if (formats.appendTime(time, scratch))
            return QLatin1StringView(scratch.data(), qsizetype(scratch.size()));
    }
    text = formats.logDateTimeText(QString(date), QString(time));
    return text;
}

QAnyStringView dateTimeOf(QStringView line, int w, const Formats& formats, std::string&,
                          QString& text)
{
    text = formats.logDateTimeText(line.first(qMin<qsizetype>(w, line.size())),
                                   midOf(line, w + 1, 8));
    return text;
}

} // namespace

template <typename View> LogEntry* RecordBuilders::openRecordFor(View nameText)
{
    const auto name = lookupName(namePart(nameText), name_);
    const LogKeys* open = session_.logCurEntries->find(name);
    if (!open)
        return nullptr;
    return session_.logEntries->itemFor(*open);
}

template <typename View> bool RecordBuilders::fileLine(View line)
{
    const int pathStart = prefixWidth() + 5;
    const qsizetype equals = find(line, '=', pathStart);
    if (pathStart > line.size() || equals < 0)
        return false;
    View localPath = trimSpaces(line.sliced(pathStart, equals - pathStart));
    if (endsWithIgnoringCase(localPath, kGetRightSuffix))
        localPath = localPath.first(localPath.size() - kGetRightSuffix.size());

    const View tail = trimSpaces(from(line, 20));
    const qsizetype urlEquals = find(tail, '=', 0);
    const View url = trimSpaces(tail.sliced(urlEquals + 1));
    // The URL's key is looked up in a large table: ask for its cell now.
    std::optional<FoldedKey> urlKey;
    if constexpr (std::is_same_v<View, QLatin1StringView>) {
        urlKey.emplace(url);
        session_.logEntries->prefetch(*urlKey);
        session_.logEntries->prefetchRoom();
    }
    const auto fileName = lowerName(namePart(url), name_);
    const FoldedKey nameKey(fileName);

    session_.logCurEntries->removeIfPresent(nameKey);
    ++session_.statistics.fileCount;

    // A record made for a URL seen before starts with its own count of
    // kilobytes; the earlier record loses its key.
    QString text;
    const QAnyStringView started = dateTimeOf(line, dateWidth(), formats_, scratch_, text);
    LogEntry* entry;
    if constexpr (std::is_same_v<View, QLatin1StringView>) {
        if (text.isNull()) // made of Latin-1 pieces, in scratch_
            entry = session_.logEntries->addDownload(
                url, *urlKey, fileName, localPath,
                QLatin1StringView(scratch_.data(), qsizetype(scratch_.size())));
        else
            entry = session_.logEntries->addDownload(url, *urlKey, QAnyStringView(fileName),
                                                     QAnyStringView(localPath), started);
    } else {
        entry = session_.logEntries->addDownload(url, fileName, localPath, started);
    }
    if (entry && !fileName.isEmpty())
        session_.logCurEntries->addFor(entry, *session_.logEntries, nameKey);
    return true;
}

template <typename View> void RecordBuilders::resumedLine(View line)
{
    View nameText = trimSpaces(from(line, prefixWidth() + 9));
    const qsizetype at = find(nameText, QLatin1StringView(" at:"));
    nameText = at < 0 ? View() : trimSpaces(nameText.first(at));
    LogEntry* entry = openRecordFor(nameText);
    if (!entry)
        return;
    ++entry->resumes;
    const qsizetype count = find(line, QLatin1StringView("at:"));
    if (count < 0)
        return;
    if (const auto bytes = readByteCount(line.sliced(count + 3)))
        entry->num = addKilobytes(entry->num, *bytes);
}

template <typename View> void RecordBuilders::startLine(View line)
{
    LogEntry* entry = openRecordFor(trimSpaces(from(line, prefixWidth() + 22)));
    if (!entry)
        return;
    if (find(line, QLatin1StringView("(Re)Started")) >= 0)
        ++entry->mirrors;
    else
        ++entry->restarts;
}

template <typename View> void RecordBuilders::finishedLine(View line)
{
    const FoldedKey name(lookupName(namePart(trimSpaces(from(line, prefixWidth() + 22))), name_));
    const LogKeys* open = session_.logCurEntries->find(name);
    if (!open)
        return;
    if (LogEntry* entry = session_.logEntries->itemFor(*open)) {
        QString text;
        session_.logEntries->setDateFinished(
            entry, dateTimeOf(line, dateWidth(), formats_, scratch_, text));
    }
    session_.logCurEntries->removeIfPresent(name);
}

bool RecordBuilders::handleFileLine(const QString& line)
{
    return fileLine(QStringView(line));
}

void RecordBuilders::handleResumedLine(const QString& line)
{
    resumedLine(QStringView(line));
}

void RecordBuilders::handleStartLine(const QString& line)
{
    startLine(QStringView(line));
}

void RecordBuilders::handleFinishedLine(const QString& line)
{
    finishedLine(QStringView(line));
}

bool RecordBuilders::handleFileLine(QLatin1StringView line)
{
    return fileLine(line);
}

void RecordBuilders::handleResumedLine(QLatin1StringView line)
{
    resumedLine(line);
}

void RecordBuilders::handleStartLine(QLatin1StringView line)
{
    startLine(line);
}

void RecordBuilders::handleFinishedLine(QLatin1StringView line)
{
    finishedLine(line);
}
