#include "records/log_entries.h"

LogEntry* LogEntries::add(const Fields& fields, const QString& sKey)
{
    auto entry = std::make_unique<LogEntry>();
    entry->key = fields.key;
    entry->fName = fields.fName;
    entry->localName = fields.localPath;
    entry->url = fields.url;
    entry->resumes = fields.resumes;
    entry->restarts = fields.restarts;
    entry->dateStarted = fields.dateStarted;
    entry->dateFinished = fields.dateFinished;
    entry->num = fields.num;
    entry->mirrors = fields.mirrors;

    const QString& k = sKey.isEmpty() ? fields.key : sKey;
    try {
        if (!k.isEmpty() && items_.find(k)) {
            // The superseded record keeps its place in history just before the new one.
            items_.append(items_.take(k), QString());
        }
        return items_.append(std::move(entry), k);
    } catch (const ClassError&) {
        return nullptr;
    }
}

LogEntry* LogEntries::item(int position) const
{
    try {
        return items_.at(position);
    } catch (const ClassError& e) {
        throw ClassError(e.number(), QStringLiteral("LogEntries Collection Get"), e.description());
    }
}

LogEntry* LogEntries::item(const QString& key) const
{
    return items_.find(key);
}

void LogEntries::remove(int position)
{
    items_.takeAt(position);
}

void LogEntries::remove(const QString& key)
{
    items_.take(key);
}

LogKeys* LogCurEntries::add(const QString& key, const QString& fName, const QString& logKey,
                            const QString& sKey)
{
    auto keys = std::make_unique<LogKeys>();
    keys->key = key;
    keys->fName = fName;
    keys->logKey = logKey;
    return items_.append(std::move(keys), sKey);
}

LogKeys* LogCurEntries::item(int position) const
{
    if (position < 1 || position > items_.count())
        return nullptr;
    return items_.at(position);
}

LogKeys* LogCurEntries::item(const QString& key) const
{
    return items_.find(key);
}

void LogCurEntries::remove(int position)
{
    items_.takeAt(position);
}

void LogCurEntries::remove(const QString& key)
{
    items_.take(key);
}
