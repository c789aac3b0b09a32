#include "log/log_analyzer.h"

#include "log/formats.h"
#include "log/kilobytes.h"
#include "log/log_session.h"
#include "log/record_builders.h"

namespace {

const QString kFile = QStringLiteral("File: ");
const QString kResumed = QStringLiteral("Resumed:");
const QString kCouldNotResume = QStringLiteral("Could not resume (restarting from 0):");
const QString kReStarted = QStringLiteral("(Re)Started");
const QString kFinished = QStringLiteral("Finished downloading");
const QString kAt = QStringLiteral("at: ");

} // namespace

QString skippedLinesMessage(qint64 count)
{
    return QString::number(count) + QStringLiteral(" lines could not be analysed");
}

LogAnalyzer::LogAnalyzer(LogSession& session, const Formats& formats)
    : session_(session), formats_(formats)
{
}

LogAnalyzer::Result LogAnalyzer::run(const Progress& progress)
{
    Result result;
    RecordBuilders builders(session_, formats_);
    Statistics& stats = session_.statistics;
    const LogLines& lines = session_.logLines;
    const int count = lines.count();

    for (int i = 1; i <= count; ++i) {
        if (progress && !progress(i)) {
            result.abandoned = true;
            break;
        }
        const QByteArrayView raw = lines.raw(i);
        session_.wideDate = session_.dateTest().passes(raw.first(qMin<qsizetype>(10, raw.size())));
        const int prefix = session_.wideDate ? 22 : 20;
        const QString line = lines.line(i);
        if (line.size() < prefix) {
            // A dated line too short to carry a message cannot be taken apart.
            ++result.skippedLines;
            continue;
        }
        const QStringView message = trimSpaces(QStringView(line).sliced(prefix));

        if (message.startsWith(kFile)) {
            if (!builders.handleFileLine(line))
                ++result.skippedLines;
        } else if (message.startsWith(kResumed)) {
            const qsizetype at = message.indexOf(kAt);
            const auto bytes = at < 0 ? std::nullopt : readByteCount(message.sliced(at + kAt.size() - 1));
            if (!bytes) {
                ++result.skippedLines;
                continue;
            }
            ++stats.resumeCount;
            stats.resumedKBytes = addKilobytes(stats.resumedKBytes, roundHalfEven(*bytes));
            builders.handleResumedLine(line);
        } else if (message.startsWith(kCouldNotResume) || message.startsWith(kReStarted)) {
            ++stats.restartCount;
            builders.handleStartLine(line);
        } else if (message.startsWith(kFinished)) {
            ++stats.finishCount;
            builders.handleFinishedLine(line);
        }
    }
    return result;
}
