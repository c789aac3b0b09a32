#pragma once

#include "records/keyed_collection.h"
#include "records/log_entry.h"

// Every record of the loaded log, the newest record of each URL keyed by the
// URL in upper case.
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

    // Appends a record under sKey, or under fields.key when sKey is empty. An
    // item already under that key loses the key and moves to the end first.
    // Gives nullptr when the record could not be stored.
    LogEntry* add(const Fields& fields, const QString& sKey = QString());

    // By position (1..count): throws ClassError "LogEntries Collection Get" outside.
    LogEntry* item(int position) const;
    // By key: nullptr when no record carries it.
    LogEntry* item(const QString& key) const;

    int count() const { return items_.count(); }
    void remove(int position);
    void remove(const QString& key);

    template <typename F> void forEach(F&& visit) const { items_.forEach(std::forward<F>(visit)); }

private:
    KeyedCollection<LogEntry> items_;
};

// The open downloads, keyed by lower-cased file name.
class LogCurEntries {
public:
    // Appends under sKey, or without a key when sKey is empty. Throws when the key is taken.
    LogKeys* add(const QString& key, const QString& fName, const QString& logKey,
                 const QString& sKey = QString());

    // By position or key; nullptr for every failure.
    LogKeys* item(int position) const;
    LogKeys* item(const QString& key) const;

    int count() const { return items_.count(); }
    void remove(int position);
    void remove(const QString& key);

    template <typename F> void forEach(F&& visit) const { items_.forEach(std::forward<F>(visit)); }

private:
    KeyedCollection<LogKeys> items_;
};
