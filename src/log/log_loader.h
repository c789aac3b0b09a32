#pragma once

#include "log/date_test.h"
#include "log/log_lines.h"

#include <QString>

#include <functional>

// What reading one log file gave.
struct LogLoadResult {
    enum class Status {
        Loaded,     // at least one accepted line
        NoLines,    // read, but no line began with a date
        CannotOpen, // missing, not a regular file, or no permission
        ReadFailed, // opened, but reading stopped part-way
        Abandoned,  // the progress callback asked to stop
    };
    // Why a file could not be opened or read.
    enum class Problem { None, Missing, Folder, NotRegular, NoPermission, ReadError };
    Status status = Status::CannotOpen;
    Problem problem = Problem::None;
    QString systemError; // the system's words for a ReadError
    LogLines lines;
    qint64 badRecords = 0;
    QString stamp; // the file's last-modified time as text; set unless CannotOpen
    QString firstLogDate;
    QString lastLogDate;
    // The day/month order the log's own dates settle (Locale when they do not).
    DayMonthOrder dateOrder = DayMonthOrder::Locale;
};

// A line is accepted when its first 10 characters pass the date test, or its
// first 8 (a shorter line is tested whole).
bool isAcceptedLine(QByteArrayView line, const DateTest& dateTest);

// The date at the head of an accepted line: its first 10 characters when they
// pass the date test, else its first 8.
QString headDate(QByteArrayView line, const DateTest& dateTest);

// The text form of a file's last-modified time that the monitor compares with
// the one taken at loading. Empty when the file cannot be examined.
QString fileStamp(const QString& localPath);

// Told the bytes read so far and the file's size as the file is read, a few
// megabytes at a time, so a window can keep itself painted. Returning false
// abandons the load (the window is closing).
using LoadProgress = std::function<bool(qint64 bytesRead, qint64 fileSize)>;

// Reads a log file that is already resolved to a local path. Lines end at CR LF,
// CR or LF. Only regular files are opened, so a FIFO or a device never blocks.
LogLoadResult loadLogFile(const QString& localPath, const DateTest& dateTest,
                          const LoadProgress& progress = {});
