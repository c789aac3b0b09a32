#include "log/record_builders.h"

#include "log/formats.h"
#include "log/kilobytes.h"
#include "log/log_session.h"
#include "log/split_path.h"

namespace {

QStringView from(const QString& line, qsizetype index)
{
    return index < line.size() ? QStringView(line).sliced(index) : QStringView();
}

const QString kGetRightSuffix = QStringLiteral(".GETRIGHT");

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

QString RecordBuilders::dateTimeOf(const QString& line) const
{
    const int w = dateWidth();
    return formats_.dateTimeText(QStringView(line).first(qMin<qsizetype>(w, line.size())),
                                 QStringView(line).mid(w + 1, 8));
}

LogEntry* RecordBuilders::openRecordFor(QStringView nameText) const
{
    const QString name = splitPath(nameText).name;
    const LogKeys* open = session_.logCurEntries->item(name);
    if (!open)
        return nullptr;
    return session_.logEntries->item(open->logKey);
}

QString RecordBuilders::nameTextFrom(const QString& line, int start) const
{
    return trimSpaces(from(line, start)).toString();
}

bool RecordBuilders::handleFileLine(const QString& line)
{
    const int pathStart = prefixWidth() + 5;
    const qsizetype equals = line.indexOf(QLatin1Char('='), pathStart);
    if (pathStart > line.size() || equals < 0)
        return false;
    QString localPath = trimSpaces(QStringView(line).sliced(pathStart, equals - pathStart)).toString();
    if (localPath.endsWith(kGetRightSuffix, Qt::CaseInsensitive))
        localPath.chop(kGetRightSuffix.size());

    const QStringView tail = trimSpaces(from(line, 20));
    const qsizetype urlEquals = tail.indexOf(QLatin1Char('='));
    const QString url = trimSpaces(tail.sliced(urlEquals + 1)).toString();
    const QString fileName = splitPath(url).name;

    if (session_.logCurEntries->item(fileName))
        session_.logCurEntries->remove(fileName);
    ++session_.statistics.fileCount;

    const QString key = url.toUpper();
    if (LogEntry* earlier = session_.logEntries->item(key))
        earlier->key.clear();

    LogEntries::Fields fields;
    fields.key = key;
    fields.fName = fileName;
    fields.localPath = localPath;
    fields.url = url;
    fields.dateStarted = dateTimeOf(line);
    // A record made for a URL seen before starts with its own count of kilobytes.
    fields.num = 0;
    LogEntry* entry = session_.logEntries->add(fields);
    if (entry && !fileName.isEmpty())
        session_.logCurEntries->add(fileName, fileName, entry->key, fileName);
    return true;
}

void RecordBuilders::handleResumedLine(const QString& line)
{
    QString nameText = nameTextFrom(line, prefixWidth() + 9);
    const qsizetype at = nameText.indexOf(QStringLiteral(" at:"));
    nameText = at < 0 ? QString() : trimSpaces(QStringView(nameText).first(at)).toString();
    LogEntry* entry = openRecordFor(nameText);
    if (!entry)
        return;
    ++entry->resumes;
    const qsizetype count = line.indexOf(QStringLiteral("at:"));
    if (count < 0)
        return;
    if (const auto bytes = readByteCount(QStringView(line).sliced(count + 3)))
        entry->num = addKilobytes(entry->num, *bytes);
}

void RecordBuilders::handleStartLine(const QString& line)
{
    LogEntry* entry = openRecordFor(nameTextFrom(line, prefixWidth() + 22));
    if (!entry)
        return;
    if (line.contains(QStringLiteral("(Re)Started")))
        ++entry->mirrors;
    else
        ++entry->restarts;
}

void RecordBuilders::handleFinishedLine(const QString& line)
{
    const QString name = splitPath(nameTextFrom(line, prefixWidth() + 22)).name;
    if (!session_.logCurEntries->item(name))
        return;
    if (LogEntry* entry = session_.logEntries->item(session_.logCurEntries->item(name)->logKey))
        entry->dateFinished = dateTimeOf(line);
    session_.logCurEntries->remove(name);
}
