#pragma once

#include "records/keyed_collection.h"
#include "records/log_entry.h"
#include "records/record_text.h"

#include <QAnyStringView>

#include <memory>
#include <vector>

// Every record of the loaded log, the newest record of each URL keyed by the
// URL in upper case. Keys are compared without regard to case (both sides
// upper-cased).
//
// Built for size: records live in blocks that never move, their texts in one
// TextStore; a record's key and the collection's key of it are the same upper-
// cased view of its URL. Positions come from a Fenwick tree over the slots, so
// moving a record to the end stays cheap in large logs.
class LogEntries {
public:
    struct Fields {
        QString key;
        QString fName;
        QString localPath;
        QString url;
        qint64 resumes = -1;
        qint64 restarts = 0;
        QString dateStarted;
        QString dateFinished;
        qint64 num = 0;
        qint64 mirrors = -1;
    };

    LogEntries();
    ~LogEntries();
    LogEntries(const LogEntries&) = delete;
    LogEntries& operator=(const LogEntries&) = delete;

    // Appends a record under sKey, or under fields.key when sKey is empty. An
    // item already under that key loses the key and moves to the end first.
    // Gives nullptr when the record could not be stored.
    LogEntry* add(const Fields& fields, const QString& sKey = QString());

    // What a "File: " line makes: a new record for the URL, keyed by the URL
    // upper-cased, with the counters of a new record and Num 0. A record that
    // held that key has its Key emptied, loses the key and moves to the end
    // first. The same as item(url.toUpper()) (clearing its Key) followed by
    // add() with that key.
    LogEntry* addDownload(QAnyStringView url, QAnyStringView fName, QAnyStringView localPath,
                          QAnyStringView dateStarted);
    // The same for an ASCII URL whose key the caller has folded already (and
    // may have prefetched: the table is large, and a miss costs more than the
    // rest of the work on a line).
    LogEntry* addDownload(QLatin1StringView url, const FoldedKey& urlKey, QAnyStringView fName,
                          QAnyStringView localPath, QAnyStringView dateStarted);
    LogEntry* addDownload(QLatin1StringView url, const FoldedKey& urlKey, QLatin1StringView fName,
                          QLatin1StringView localPath, QLatin1StringView dateStarted);
    void prefetch(const FoldedKey& key) const { slots_.prefetch(key.hash()); }
    // Starts bringing the room of the next record into the cache.
    void prefetchRoom() const { texts_.prefetchRoom(384); }

    // By position (1..count): throws ClassError "LogEntries Collection Get" outside.
    LogEntry* item(int position) const;
    // By key: nullptr when no record carries it.
    LogEntry* item(const QString& key) const;
    // The record an open download leads to: item(keys.logKey), quicker when the
    // builders left a hint in keys.
    LogEntry* itemFor(const LogKeys& keys) const;
    // Leaves a hint in keys that the record is the one under keys.logKey.
    void hint(LogKeys& keys, LogEntry* record) const;

    void setDateFinished(LogEntry* record, QAnyStringView text);

    int count() const { return slots_.count(); }
    void remove(int position);
    void remove(const QString& key);

    // Visits the records in position order.
    template <typename F> void forEach(F&& visit) const { slots_.forEach(std::forward<F>(visit)); }

    quint64 id() const { return id_; }

    // Takes over memory that someone has finished with (see TextStore::adopt);
    // the records and their texts fill it before they ask for new memory.
    bool adopt(char* data, qsizetype size, TextStore::Release release)
    {
        return texts_.adopt(data, size, release);
    }
    // Gives back adopted memory not used yet.
    void releaseSpare() { texts_.releaseSpare(); }

private:
    template <typename Text>
    LogEntry* addDownloadOf(QLatin1StringView url, const FoldedKey& urlKey, Text fName,
                            Text localPath, Text dateStarted);
    template <typename Text>
    void addTexts(LogEntry* entry, Text fName, Text localPath, Text dateStarted);
    LogEntry* newEntry();
    void append(LogEntry* entry, const RecordText& foldedKey, quint32 hash);
    void take(std::size_t slot);
    void supersede(const FoldedKey& key, bool clearKey);

    quint64 id_;
    TextStore texts_; // the texts and the records themselves
    KeyedSlots<LogEntry> slots_;
};

// The open downloads, keyed by lower-cased file name.
class LogCurEntries {
public:
    LogCurEntries();
    ~LogCurEntries();
    LogCurEntries(const LogCurEntries&) = delete;
    LogCurEntries& operator=(const LogCurEntries&) = delete;

    // Appends under sKey, or without a key when sKey is empty. Throws when the key is taken.
    LogKeys* add(const QString& key, const QString& fName, const QString& logKey,
                 const QString& sKey = QString());
    // The builders' add for a record of entries just made: add(FName, FName,
    // Key, FName) of the record, with a hint to the record. Its texts are views
    // of the record's, valid while entries lives. Throws when the name is taken.
    LogKeys* addFor(LogEntry* record, const LogEntries& entries);
    // The same with the name's key folded already (FoldedKey of the file name).
    LogKeys* addFor(LogEntry* record, const LogEntries& entries, const FoldedKey& nameKey);

    // By position or key; nullptr for every failure.
    LogKeys* item(int position) const;
    LogKeys* item(const QString& key) const;
    // By a key given as a view (a name cut out of a log line), or folded already.
    LogKeys* find(QAnyStringView key) const;
    LogKeys* find(const FoldedKey& key) const;

    int count() const { return slots_.count(); }
    void remove(int position);
    void remove(const QString& key);
    // Removes the item under the key when there is one.
    bool removeIfPresent(QAnyStringView key);
    bool removeIfPresent(const FoldedKey& key);

    template <typename F> void forEach(F&& visit) const { slots_.forEach(std::forward<F>(visit)); }

private:
    LogKeys* newItem();
    LogKeys* append(LogKeys* item, const RecordText& foldedKey);
    void take(std::size_t slot);

    TextStore texts_; // of items added with texts of their own
    std::vector<std::unique_ptr<LogKeys[]>> blocks_;
    std::vector<LogKeys*> free_; // removed items, for reuse
    int usedInBlock_ = 0;
    KeyedSlots<LogKeys> slots_;
};
