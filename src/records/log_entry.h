#pragma once

#include "records/record_text.h"

#include <QString>
#include <QtGlobal>

class LogEntries;

// One download rebuilt from the log. Counters are 64-bit: downloads above
// 2 GB are ordinary now. The texts are kept by the LogEntries that holds the
// record and are changed through it.
struct LogEntry {
    RecordText key;       // upper-cased URL; emptied when a later record supersedes this one
    RecordText fName;     // last component of the URL, lower case
    RecordText localName; // local path without a trailing ".GETRIGHT"
    RecordText url;
    qint64 resumes = -1; // -1 so the first real resume counts from 0
    qint64 restarts = 0;
    RecordText dateStarted;  // "<short date> - <hh:mm:ss AP>"
    RecordText dateFinished; // empty until the download finishes
    qint64 num = 0;          // kilobytes resumed
    qint64 mirrors = -1;     // -1 so the first "(Re)Started" (the first start) counts from 0

private:
    friend class LogEntries;
    bool keyed_ = false; // LogEntries holds it under a key
};

// An open download: leads from a lower-cased file name to its record's key.
// The texts are kept by the LogCurEntries that holds it, or are views of its
// record's texts.
struct LogKeys {
    RecordText key;
    RecordText fName;
    RecordText logKey;

    // Set by the record builders: the record that logKey named when this item
    // was made, and the id of the collection that holds it. While that record
    // keeps its key, LogEntries::item(logKey) is that record, so the builders
    // need not look the key up again.
    quint64 hintOwner = 0;
    LogEntry* hint = nullptr;
};
