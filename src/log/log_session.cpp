#include "log/log_session.h"

#include "log/log_loader.h"
#include "log/messages.h"
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
    const QString localPath = resolver_.resolve(storedPath);
    LogLoadResult result = ::loadLogFile(localPath, dateTest_, progress);

    LoadOutcome outcome;
    outcome.problem = result.problem;
    outcome.systemError = result.systemError;
    switch (result.status) {
    case LogLoadResult::Status::Abandoned:
        return outcome;
    case LogLoadResult::Status::CannotOpen:
    case LogLoadResult::Status::ReadFailed:
        // A read that failed part-way is reported like an unreadable path rather
        // than leaving an empty tree without a cause.
        firstLogDate.clear();
        lastLogDate.clear();
        outcome.message = LoadOutcome::Message::FileError;
        outcome.detail = Messages::aboutLog(
            storedPath, localPath, Messages::problemText(result.problem, result.systemError));
        return outcome;
    case LogLoadResult::Status::NoLines:
        loadedLogPath = storedPath;
        loadedLogStamp = result.stamp;
        firstLogDate.clear();
        lastLogDate.clear();
        outcome.badRecords = result.badRecords;
        outcome.message = result.badRecords > 0 ? LoadOutcome::Message::BadRecords
                                                : LoadOutcome::Message::NoDatedLines;
        outcome.detail = Messages::aboutLog(storedPath, localPath,
                                            result.badRecords > 0
                                                ? QStringLiteral("no line begins with a date")
                                                : QStringLiteral("the file is empty"));
        return outcome;
    case LogLoadResult::Status::Loaded:
        break;
    }
    loadedLogStamp = result.stamp;
    logLines = std::move(result.lines);
    logDateOrder = result.dateOrder;
    dateTest_.setReadingOrder(logDateOrder);
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
