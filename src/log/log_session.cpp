#include "log/log_session.h"

#include "log/log_loader.h"
#include "platform/path_resolver.h"

LogSession::LogSession(const PathResolver& resolver, const QLocale& locale)
    : resolver_(resolver), dateTest_(locale)
{
}

void LogSession::resetRecords()
{
    statistics = Statistics{};
    wideDate = false;
    logEntries = std::make_unique<LogEntries>();
    logCurEntries = std::make_unique<LogCurEntries>();
}

LogSession::LoadOutcome LogSession::loadLogFile(const QString& storedPath,
                                                const LoadProgress& progress)
{
    logLines = LogLines();
    LogLoadResult result = ::loadLogFile(resolver_.resolve(storedPath), dateTest_, progress);

    LoadOutcome outcome;
    switch (result.status) {
    case LogLoadResult::Status::CannotOpen:
    case LogLoadResult::Status::ReadFailed:
        // A read that failed part-way is reported like an unreadable path rather
        // than leaving an empty tree without a cause.
        if (!result.stamp.isEmpty() && result.status == LogLoadResult::Status::ReadFailed)
            loadedLogStamp = result.stamp;
        outcome.message = LoadOutcome::Message::FileError;
        return outcome;
    case LogLoadResult::Status::NoLines:
        loadedLogStamp = result.stamp;
        return outcome;
    case LogLoadResult::Status::Loaded:
        break;
    }
    loadedLogStamp = result.stamp;
    logLines = std::move(result.lines);
    firstLogDate = result.firstLogDate;
    lastLogDate = result.lastLogDate;
    loadedLogPath = storedPath;
    outcome.hasLines = true;
    if (result.badRecords > 0) {
        outcome.message = LoadOutcome::Message::BadRecords;
        outcome.badRecords = result.badRecords;
    }
    return outcome;
}
