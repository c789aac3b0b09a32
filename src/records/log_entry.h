#pragma once

#include <QString>
#include <QtGlobal>

// One download rebuilt from the log. Counters are 64-bit: downloads above
// 2 GB are ordinary now.
struct LogEntry {
    QString key;       // upper-cased URL; emptied when a later record supersedes this one
    QString fName;     // last component of the URL, lower case
    QString localName; // local path without a trailing ".GETRIGHT"
    QString url;
    qint64 resumes = -1; // -1 so the first real resume counts from 0
    qint64 restarts = 0;
    QString dateStarted;  // "<short date> - <hh:mm:ss AP>"
    QString dateFinished; // empty until the download finishes
    qint64 num = 0;      // kilobytes resumed
    qint64 mirrors = -1; // -1 so the first "(Re)Started" (the first start) counts from 0
};

// An open download: leads from a lower-cased file name to its record's key.
struct LogKeys {
    QString key;
    QString fName;
    QString logKey;
};
