// Arbitrary bytes as a GetRight log, taken down the whole road the window takes:
// load, date test, analysis, statistics, the tree in all five orders, the report,
// a search, and the open command's target of the nodes.
#include "log/formats.h"
#include "log/log_analyzer.h"
#include "log/log_session.h"
#include "log/statistics_text.h"
#include "platform/desktop_opener.h"
#include "platform/path_resolver.h"
#include "records/log_entries.h"
#include "tree/open_command.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "tree/tree_report.h"
#include "tree/tree_search.h"

#include <QBuffer>
#include <QTextStream>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Absolute paths pass, as for the log itself; stored Windows paths lead into a
// folder that does not exist, so the open command's existence test touches no
// real file.
struct NowhereResolver : PathResolver {
    QString resolve(const QString& stored) const override
    {
        if (stored.startsWith(u'/'))
            return stored;
        return QStringLiteral("/nonexistent-tavrin-fuzz/") + stored;
    }
};

// Whatever reaches the desktop must be a web or FTP link with a host, or a file.
struct CheckingOpener : DesktopOpener {
    bool openUrl(const QUrl& url) override
    {
        const QString scheme = url.scheme();
        const bool web = (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                          scheme == QLatin1String("ftp")) &&
                         !url.host().isEmpty();
        if (!web && !url.isLocalFile()) {
            std::fprintf(stderr, "opener received %s\n", qPrintable(url.toString()));
            std::abort();
        }
        return true;
    }
};

// The log is an in-memory file reached through /proc/self/fd: the loader reads
// a regular file as usual, no disk is involved, and nothing is left behind.
QString logPath()
{
    static const QString path = [] {
        const int fd = memfd_create("tavrin-fuzz.log", 0);
        if (fd < 0)
            std::abort();
        return QStringLiteral("/proc/self/fd/") + QString::number(fd);
    }();
    return path;
}

void writeLog(const uint8_t* data, size_t size)
{
    const int fd = logPath().mid(14).toInt();
    if (ftruncate(fd, 0) != 0)
        std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            std::abort();
        done += static_cast<size_t>(n);
    }
}

const QLocale& localeFor(size_t size)
{
    // Month-first, day-first and year-first short dates.
    static const std::array<QLocale, 3> locales{QLocale(QLocale::English, QLocale::UnitedStates),
                                                QLocale(QLocale::German, QLocale::Germany),
                                                QLocale(QLocale::Swedish, QLocale::Sweden)};
    return locales[size % locales.size()];
}

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeLog(data, size);
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QLocale& locale = localeFor(size);
    const Formats formats(locale);
    const NowhereResolver resolver;
    LogSession session(resolver, locale);
    session.resetRecords();
    const LogSession::LoadOutcome outcome = session.loadLogFile(logPath());
    check(outcome.message != LogSession::LoadOutcome::Message::FileError, "a regular file loads");
    check(session.logLines.count() <= bytes.count('\r') + bytes.count('\n') + 1,
          "no more lines than line endings");
    if (session.logLines.isEmpty())
        return 0;

    LogAnalyzer(session, formats).run();
    statisticsTexts(session.statistics, session.firstLogDate, session.lastLogDate, formats,
                    QStringList(7, QStringLiteral("0")));

    CheckingOpener opener;
    for (const SortOrder order : {SortOrder::SortNone, SortOrder::SortByDate, SortOrder::SortByName,
                                  SortOrder::SortByURL, SortOrder::SortByLocal}) {
        TreeModel model;
        TreeFiller filler(formats);
        filler.fill(model, *session.logEntries, order, session.wideDate);
        check(model.nodeCount() >= session.logEntries->count(), "every record has a node");

        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QTextStream out(&sink);
        writeTreeReport(model, out);
        out.flush();

        const int found = findNode(model, QStringLiteral("zip"), false, SearchRange::FromFirst, 0);
        findNode(model, QStringLiteral("ZIP"), true, SearchRange::Next, found);
        findNode(model, QString(), false, SearchRange::Previous, model.nodeCount());

        const int nodes = qMin(model.nodeCount(), 200);
        for (int position = 1; position <= nodes; ++position)
            openNodeTarget(model.text(position), resolver, opener);

        model.clear();
        filler.release();
    }
    return 0;
}
