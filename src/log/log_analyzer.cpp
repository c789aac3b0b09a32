#include "log/log_analyzer.h"

#include "log/date_test.h"
#include "log/formats.h"
#include "log/kilobytes.h"
#include "log/line_views.h"
#include "log/log_session.h"
#include "log/record_builders.h"

#include <cmath>

using namespace LineViews;

namespace {

const QLatin1StringView kAt("at: ");

// Give back the text of analysed lines every so many lines.
constexpr int kReleaseEvery = 1 << 16;

// A byte count made whole, a half going to the even neighbour; whole counts,
// the usual ones, are whole already.
double wholeBytes(double bytes)
{
    return bytes == std::floor(bytes) ? bytes : roundHalfEven(bytes);
}

} // namespace

QString skippedLinesMessage(qint64 count)
{
    return QString::number(count) + QStringLiteral(" lines could not be analysed");
}

LogAnalyzer::LogAnalyzer(LogSession& session, const Formats& formats)
    : session_(session), formats_(formats)
{
}

// Classifies one line and hands it to its builder. View is the decoded text, or
// the bytes of a line whose characters are all ASCII: both read the same.
template <typename View, typename Line>
void LogAnalyzer::analyse(View view, const Line& line, RecordBuilders& builders, Result& result)
{
    Statistics& stats = session_.statistics;
    const int prefix = session_.wideDate ? 22 : 20;
    if (view.size() < prefix) {
        // A dated line too short to carry a message cannot be taken apart.
        ++result.skippedLines;
        return;
    }
    const View message = trimSpaces(view.sliced(prefix));
    if (message.isEmpty())
        return;
    // Every kind begins with one of four letters: most other messages stop here.
    const char16_t first = message[0].unicode();
    if (first != u'F' && first != u'R' && first != u'C' && first != u'(')
        return;

    if (startsWith(message, "File: ")) {
        if (!builders.handleFileLine(line))
            ++result.skippedLines;
    } else if (startsWith(message, "Resumed:")) {
        const qsizetype at = find(message, kAt);
        const auto bytes =
            at < 0 ? std::nullopt : readByteCount(message.sliced(at + kAt.size() - 1));
        if (!bytes) {
            ++result.skippedLines;
            return;
        }
        ++stats.resumeCount;
        stats.resumedKBytes = addKilobytes(stats.resumedKBytes, wholeBytes(*bytes));
        builders.handleResumedLine(line);
    } else if (startsWith(message, "Could not resume (restarting from 0):") ||
               startsWith(message, "(Re)Started")) {
        ++stats.restartCount;
        builders.handleStartLine(line);
    } else if (startsWith(message, "Finished downloading")) {
        ++stats.finishCount;
        builders.handleFinishedLine(line);
    }
}

LogAnalyzer::Result LogAnalyzer::run(const Progress& progress)
{
    Result result;
    RecordBuilders builders(session_, formats_);
    LogLines& lines = session_.logLines;
    const int count = lines.count();
    // A wide-date stretch shares its first 10 characters for hours.
    DateHeadTest<10> wideDate(session_.dateTest());

    for (int i = 1; i <= count; ++i) {
        if (progress && !progress(i)) {
            result.abandoned = true;
            break;
        }
        if (i % kReleaseEvery == 0) {
            // The pages of the lines analysed so far hold the next records: they
            // are in memory already, where new pages would first be cleared.
            lines.releaseThrough(i - 1,
                                 [this](char* data, qsizetype size, LineBuffer::Release release) {
                                     return session_.logEntries->adopt(data, size, release);
                                 });
        }
        const QByteArrayView raw = lines.raw(i);
        session_.wideDate = wideDate(raw);
        if (lines.isAscii(i)) {
            const QLatin1StringView bytes(raw.data(), raw.size());
            analyse(bytes, bytes, builders, result);
        } else {
            const QString line = lines.line(i);
            analyse(QStringView(line), line, builders, result);
        }
    }
    // Nothing reads the text of the lines after the analysis.
    if (!result.abandoned)
        lines.releaseThrough(count);
    session_.logEntries->releaseSpare();
    return result;
}
