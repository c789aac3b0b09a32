// tavrin_bench: times the phases of opening a log in process, without a window.
//
//   tavrin_bench [--repeat N] [--orders none,date,...] [--memory] [--cpu] LOGFILE
//
// Each repetition reads the log (read + accept), analyses it, then for each
// order fills the tree, writes the report to a sink that drops it, and in the
// order "none" searches: one pass over every node without and with regard to
// case (a text that matches nothing), then Next from the first node and
// Previous from the last (the match at the far end: none at all). Prints one
// line per phase: "phase <name> min <ms> median <ms> runs <n>", and the sizes.
// --memory also prints the resident memory after each phase; --cpu times the
// thread's CPU time instead of the wall clock.
#include "log/formats.h"
#include "support/fakes.h"
#include "log/log_analyzer.h"
#include "log/log_session.h"
#include "platform/path_resolver.h"
#include "records/log_entries.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "tree/tree_report.h"
#include "tree/tree_search.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QTextStream>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {


// Takes what is written and forgets it, as /dev/null would.
class NullDevice : public QIODevice {
public:
    NullDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override { return len; }
};

class Phases {
public:
    void add(const QString& name, double ms)
    {
        if (!runs_.count(name))
            order_.push_back(name);
        runs_[name].push_back(ms);
    }

    void print() const
    {
        for (const QString& name : order_) {
            std::vector<double> v = runs_.at(name);
            std::sort(v.begin(), v.end());
            const double median =
                v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
            std::printf("phase %s min %.2f median %.2f runs %zu\n", qPrintable(name), v.front(),
                        median, v.size());
        }
    }

private:
    std::vector<QString> order_;
    std::map<QString, std::vector<double>> runs_;
};

// Wall-clock time, or with --cpu the thread's CPU time, which a busy machine
// disturbs less.
bool cpuTime = false;

class Clock {
public:
    void start() { start_ = now(); }
    void restart() { start_ = now(); }
    qint64 nsecsElapsed() const { return now() - start_; }

private:
    static qint64 now()
    {
        timespec t{};
        clock_gettime(cpuTime ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    qint64 start_ = 0;
};

double msSince(Clock& timer)
{
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

// The resident and the peak resident memory now, in MB (Linux), for --memory.
QString memoryNow()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    QString rss, peak;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[0] == "VmRSS:")
            rss = QString::number(parts[1].toLongLong() / 1024.0, 'f', 1);
        else if (parts.size() >= 2 && parts[0] == "VmHWM:")
            peak = QString::number(parts[1].toLongLong() / 1024.0, 'f', 1);
    }
    return rss + QStringLiteral(" MB (peak ") + peak + QStringLiteral(" MB)");
}

bool showMemory = false;

void memoryAfter(const char* phase)
{
    if (showMemory)
        std::printf("memory after %s: %s\n", phase, qPrintable(memoryNow()));
}

// A text that no node holds: control characters never reach a node's text.
const QString kNoMatch = QStringLiteral("\x01no such text\x02");

} // namespace

int main(int argc, char* argv[])
{
#ifdef M_MMAP_THRESHOLD
    mallopt(M_MMAP_THRESHOLD, 256 * 1024); // as tavrin-report does
#endif
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int repeat = 5;
    QList<SortOrder> orders = {SortOrder::SortNone, SortOrder::SortByDate, SortOrder::SortByName,
                               SortOrder::SortByURL, SortOrder::SortByLocal};
    QString logFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--memory")) {
            showMemory = true;
        } else if (args[i] == QLatin1String("--cpu")) {
            cpuTime = true;
        } else if (args[i] == QLatin1String("--repeat") && i + 1 < args.size()) {
            repeat = qMax(1, args[++i].toInt());
        } else if (args[i] == QLatin1String("--orders") && i + 1 < args.size()) {
            orders.clear();
            for (const QString& name : args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                SortOrder order;
                if (!sortOrderFromName(name, &order)) {
                    std::fprintf(stderr, "tavrin_bench: unknown order %s\n", qPrintable(name));
                    return 2;
                }
                orders << order;
            }
        } else if (logFile.isEmpty() && !args[i].startsWith(QLatin1Char('-'))) {
            logFile = args[i];
        } else {
            std::fprintf(stderr,
                         "usage: tavrin_bench [--repeat N] [--orders none,date,...] LOGFILE\n");
            return 2;
        }
    }
    if (logFile.isEmpty()) {
        std::fprintf(stderr, "usage: tavrin_bench [--repeat N] [--orders none,date,...] LOGFILE\n");
        return 2;
    }

    const SamePath resolver;
    Formats formats;
    Phases phases;
    int lines = 0, records = 0;
    QMap<SortOrder, int> nodes;
    for (int run = 0; run < repeat; ++run) {
        LogSession session(resolver, formats.locale());
        session.resetRecords();
        Clock timer;
        timer.start();
        const LogSession::LoadOutcome outcome = session.loadLogFile(logFile);
        phases.add(QStringLiteral("read+accept"), msSince(timer));
        memoryAfter("read");
        if (outcome.message == LogSession::LoadOutcome::Message::FileError) {
            std::fprintf(stderr, "tavrin_bench: cannot read %s\n", qPrintable(logFile));
            return 1;
        }
        lines = session.logLines.count();
        formats.setLogDateOrder(session.logDateOrder);
        LogAnalyzer(session, formats).run();
        phases.add(QStringLiteral("analyse"), msSince(timer));
        memoryAfter("analysis");
        records = session.logEntries->count();

        for (const SortOrder order : orders) {
            const QString name = sortOrderName(order);
            TreeModel model;
            TreeFiller filler(formats);
            timer.restart();
            filler.fill(model, *session.logEntries, order, session.wideDate);
            phases.add(QStringLiteral("fill-") + name, msSince(timer));
            memoryAfter("fill");
            nodes[order] = model.nodeCount();

            NullDevice sink;
            timer.restart();
            writeTreeReportUtf8(model, sink);
            phases.add(QStringLiteral("report-") + name, msSince(timer));
            memoryAfter("report");

            if (order == SortOrder::SortNone) {
                const int last = model.nodeCount();
                timer.restart();
                const int a = findNode(model, kNoMatch, false, SearchRange::FromFirst, 0);
                phases.add(QStringLiteral("search-all-nocase"), msSince(timer));
                const int b = findNode(model, kNoMatch, true, SearchRange::FromFirst, 0);
                phases.add(QStringLiteral("search-all-case"), msSince(timer));
                const int c = findNode(model, kNoMatch, false, SearchRange::Next, 1);
                phases.add(QStringLiteral("search-next-far"), msSince(timer));
                const int d = findNode(model, kNoMatch, false, SearchRange::Previous, last);
                phases.add(QStringLiteral("search-prev-far"), msSince(timer));
                // A real match on the far end: the last node's own text.
                const QString lastText = model.text(last);
                const int e = findNode(model, lastText, false, SearchRange::Next, 1);
                phases.add(QStringLiteral("search-next-last"), msSince(timer));
                if (a || b || c || d || e == 0) {
                    std::fprintf(stderr, "tavrin_bench: unexpected search result\n");
                    return 1;
                }
            }
            model.clear();
            filler.release();
        }
    }
    std::printf("lines %d records %d", lines, records);
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it)
        std::printf(" nodes-%s %d", qPrintable(sortOrderName(it.key())), it.value());
    std::printf("\n");
    phases.print();
    return 0;
}
