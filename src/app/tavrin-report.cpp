// tavrin-report: the analysis of a GetRight log as text, without a window.
#include "log/formats.h"
#include "log/log_analyzer.h"
#include "log/log_session.h"
#include "log/messages.h"
#include "log/statistics_text.h"
#include "platform/wine_path_resolver.h"
#include "platform/wine_prefix.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "tree/tree_report.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryFile>
#include <QTextStream>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace {

const char kUsage[] = "usage: tavrin-report [--order none|date|name|url|local] LOGFILE|-\n";

const char kHelp[] =
    "\n"
    "Analyses a GetRight log and prints its statistics and its download tree.\n"
    "\n"
    "Options:\n"
    "  --order ORDER  order of the tree: none (log order, the default), date,\n"
    "                 name, url or local\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "LOGFILE is a path, or a Windows path (C:\\...) resolved through the Wine prefix;\n"
    "- reads the log from standard input.\n"
    "\n"
    "Output: seven lines \"Caption: value\" (Total Files, Total Resumes, Total\n"
    "Restarts, Total Completed, Bytes Recovered, Log Started, Log Finished), an\n"
    "empty line, then the tree, one node per line: two spaces of indent per level,\n"
    "the node's key, a tab and the node's text. Counts of ignored or unanalysed\n"
    "lines go to standard error.\n"
    "\n"
    "Exit status: 0 when the log was read, 1 when it cannot be read or the output\n"
    "cannot be written, 2 on a usage error.\n"
    "\n"
    "Environment:\n"
    "  WINEPREFIX     the Wine prefix for Windows paths (default ~/.wine)\n"
    "  LC_ALL, LANG   the locale in which the log's dates are read and dates and\n"
    "                 numbers are written\n";

int usage(QTextStream& err)
{
    err << kUsage << "Try 'tavrin-report --help' for more information.\n";
    return 2;
}

int unknownOrder(QTextStream& err, const QString& name)
{
    err << "tavrin-report: unknown order '" << name
        << "': use none, date, name, url or local\n";
    return usage(err);
}

// What went wrong with the log file, naming it: "cannot read X: no such file".
QString loadFailure(const QString& logFile, const LogSession::LoadOutcome& outcome)
{
    using Problem = LogLoadResult::Problem;
    switch (outcome.problem) {
    case Problem::Folder:
        return logFile + QStringLiteral(" is a folder");
    case Problem::NotRegular:
        return logFile + QStringLiteral(" is not a regular file");
    default:
        break;
    }
    const QString cause = Messages::problemText(outcome.problem, outcome.systemError);
    return QStringLiteral("cannot read ") + logFile +
           (cause.isEmpty() ? QString() : QStringLiteral(": ") + cause);
}

// Standard input copied to a file of its own, which the loader reads like any
// log; nothing when it cannot be copied.
bool copyStandardInput(QTemporaryFile& copy)
{
    QFile in;
    if (!copy.open() || !in.open(stdin, QIODevice::ReadOnly))
        return false;
    QByteArray piece;
    while (!(piece = in.read(1 << 20)).isEmpty())
        if (copy.write(piece) != piece.size())
            return false;
    return copy.flush();
}

} // namespace

int main(int argc, char* argv[])
{
#ifdef M_MMAP_THRESHOLD
    // Large blocks (the tree's arrays, the record blocks) straight from the
    // system and back to it when freed. glibc would otherwise raise this bound
    // after the first large free, and the blocks the tree outgrows would stay
    // in the heap for the rest of the run.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrin-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    SortOrder order = SortOrder::SortNone;
    QString logFile;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--order")) {
            if (++i >= args.size())
                return usage(err);
            if (!sortOrderFromName(args[i], &order))
                return unknownOrder(err, args[i]);
        } else if (arg.startsWith(QLatin1String("--order="))) {
            if (!sortOrderFromName(arg.mid(8), &order))
                return unknownOrder(err, arg.mid(8));
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << kUsage << kHelp;
            return 0;
        } else if (arg == QLatin1String("--version")) {
            out << "tavrin-report " << TAVRIN_VERSION << '\n';
            return 0;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return usage(err);
        } else if (logFile.isEmpty()) {
            logFile = arg;
        } else {
            return usage(err);
        }
    }
    if (logFile.isEmpty())
        return usage(err);

    const WinePathResolver resolver(winePrefix());
    Formats formats;
    LogSession session(resolver, formats.locale());
    session.resetRecords();
    QTemporaryFile standardInput;
    if (logFile == QLatin1String("-")) {
        if (!copyStandardInput(standardInput)) {
            err << "tavrin-report: cannot read the log from standard input\n";
            return 1;
        }
    }
    const QString readFrom = logFile == QLatin1String("-") ? standardInput.fileName() : logFile;
    const LogSession::LoadOutcome outcome = session.loadLogFile(readFrom);
    switch (outcome.message) {
    case LogSession::LoadOutcome::Message::FileError:
        err << "tavrin-report: " << loadFailure(logFile, outcome) << '\n';
        return 1;
    case LogSession::LoadOutcome::Message::BadRecords:
        err << Messages::badRecords(outcome.badRecords) << '\n';
        break;
    case LogSession::LoadOutcome::Message::NoDatedLines:
        err << Messages::noDatedLines() << '\n';
        break;
    case LogSession::LoadOutcome::Message::None:
        break;
    }

    formats.setLogDateOrder(session.logDateOrder);
    QStringList labels(7, QStringLiteral("0"));
    TreeModel model;
    TreeFiller filler(formats);
    if (!session.logLines.isEmpty()) {
        const LogAnalyzer::Result result = LogAnalyzer(session, formats).run();
        labels = statisticsTexts(session.statistics, session.firstLogDate, session.lastLogDate,
                                 formats, labels);
        filler.fill(model, *session.logEntries, order, session.wideDate);
        if (result.skippedLines > 0)
            err << skippedLinesMessage(result.skippedLines) << '\n';
    }

    // The tree can run to millions of lines: written as UTF-8 in large pieces.
    const QStringList captions = statisticsCaptions();
    QString head;
    for (int i = 0; i < 7; ++i)
        head += captions[i] + QStringLiteral(": ") + labels[i] + QLatin1Char('\n');
    head += QLatin1Char('\n');
    out.flush();
    QFile stdOut;
    if (!stdOut.open(stdout, QIODevice::WriteOnly))
        return 1;
    const QByteArray headBytes = head.toUtf8();
    if (stdOut.write(headBytes) != headBytes.size() || !writeTreeReportUtf8(model, stdOut) ||
        !stdOut.flush())
        return 1;
    return 0;
}
