#pragma once

#include "log/date_test.h"
#include "log/log_lines.h"
#include "log/log_loader.h"
#include "log/statistics.h"
#include "records/log_entries.h"

#include <QString>

#include <memory>

class PathResolver;

// The state of the loaded log, shared by the window and tavrin-report: the
// accepted lines, what was loaded from where, the records and the totals.
class LogSession {
public:
    // What a load asks the user to be told.
    struct LoadOutcome {
        enum class Message { None, BadRecords, FileError, NoDatedLines };
        Message message = Message::None;
        qint64 badRecords = 0;
        bool hasLines = false;
        // What the message box adds below its text: the path and the cause.
        QString detail;
        LogLoadResult::Problem problem = LogLoadResult::Problem::None;
        QString systemError;
    };

    explicit LogSession(const PathResolver& resolver, const QLocale& locale = QLocale::system());

    // The record side of resetting before a load: counters to 0, new empty collections.
    void resetRecords();

    // Reads the log at the stored path (resolved for this machine) into logLines
    // and updates the loaded-log texts as far as the load got. Call resetRecords()
    // (with the window's own reset) first. progress, when given, is told how the
    // reading goes.
    //
    // loadedLogPath and loadedLogStamp always name the same file: a load that
    // read the file (with or without lines) takes both from it, one that could
    // not read it keeps both. A load that keeps no line leaves no log loaded,
    // so the first and last log dates are emptied.
    LoadOutcome loadLogFile(const QString& storedPath, const LoadProgress& progress = {});

    const DateTest& dateTest() const { return dateTest_; }
    const PathResolver& resolver() const { return resolver_; }

    LogLines logLines;
    QString loadedLogPath;  // as stored (what the file row shows)
    QString loadedLogStamp; // last-modified text of the file taken at loading
    QString firstLogDate;
    QString lastLogDate;
    QString defaultLogPath;
    // How the loaded log's dates are read: in the day/month order they settle
    // among themselves, else the locale's. Give it to the Formats that format them.
    DayMonthOrder logDateOrder = DayMonthOrder::Locale;

    std::unique_ptr<LogEntries> logEntries = std::make_unique<LogEntries>();
    std::unique_ptr<LogCurEntries> logCurEntries = std::make_unique<LogCurEntries>();
    Statistics statistics;
    bool wideDate = false;

private:
    const PathResolver& resolver_;
    DateTest dateTest_;
};
