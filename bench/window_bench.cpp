// window_bench: the window loading a large log, driven as a user would.
//
//   window_bench LOGFILE [REPEAT]        (run under xvfb-run, or offscreen)
//
// Builds the main window with stand-ins for the registry and the desktop,
// opens the log once through "D" (as a warm-up that also fills the file row),
// then clicks Re-read REPEAT times (default 3) and for each prints
//
//   window load <ms> max-gap <ms> probes <n> (longest gap ended at <ms>)
//
// load: from the click to the filled tree, shown and painted; max-gap: the
// longest time a 10 ms timer waited for the event loop during the load (the
// window's longest stall); probes: how often the timer ran. Then the search
// steps over the filled tree:
//
//   window search <ms> next <ms> previous <ms>
//
// for Search, Next from the first node and Previous from the last node with a
// text that matches nothing (each visits every node).
#include "window/window_test_support.h"

#include "tree/tree_model.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

namespace {

QString logFile;
int repeat = 3;

// Records the gaps between the ticks of a 10 ms timer.
class StallProbe : public QObject {
public:
    StallProbe()
    {
        timer_.setInterval(10);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (now - last_ > longest_) {
                longest_ = now - last_;
                longestEnd_ = now;
            }
            last_ = now;
            ++ticks_;
        });
    }

    void start()
    {
        longest_ = 0;
        longestEnd_ = 0;
        ticks_ = 0;
        clock_.start();
        last_ = 0;
        timer_.start();
    }

    // The longest gap, counting the time since the last tick.
    double stop()
    {
        timer_.stop();
        const qint64 now = clock_.nsecsElapsed();
        if (now - last_ > longest_) {
            longest_ = now - last_;
            longestEnd_ = now;
        }
        return double(longest_) / 1e6;
    }

    int ticks() const { return ticks_; }
    // When the longest gap ended, from the start.
    double longestEnd() const { return double(longestEnd_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestEnd_ = 0;
    int ticks_ = 0;
};

} // namespace

class WindowBench : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadAndSearch()
    {
        FakeRegistry registry;
        registry.logFile = logFile;
        SamePath resolver;
        TestWindow window(Skin::Tavrin, registry, resolver);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tree = window.control<QTreeView>("tvwFiles");
        auto* model = window.control<TreeModel>("treeModel");

        Q_EMIT window.control<HotCommand>("cmdOpenDefault")->click();
        QVERIFY(model->nodeCount() > 0);

        StallProbe probe;
        for (int run = 0; run < repeat; ++run) {
            QCoreApplication::processEvents();
            probe.start();
            QElapsedTimer clock;
            clock.start();
            Q_EMIT window.control<HotCommand>("cmdReRead")->click();
            // The tree is filled; let the window show and paint it.
            QCoreApplication::processEvents();
            tree->viewport()->repaint();
            const double load = double(clock.nsecsElapsed()) / 1e6;
            const double gap = probe.stop();
            QVERIFY(model->nodeCount() > 0);
            QVERIFY(tree->isVisible());
            std::printf("window load %.1f max-gap %.1f probes %d (longest gap ended at %.1f)\n",
                        load, gap, probe.ticks(), probe.longestEnd());
            std::fflush(stdout);
        }

        auto* search = window.control<QLineEdit>("txtSearch");
        search->setText(QStringLiteral("\x01no such text\x02"));
        QElapsedTimer clock;
        clock.start();
        Q_EMIT window.control<HotCommand>("cmdSearch")->click();
        const double all = double(clock.nsecsElapsed()) / 1e6;
        tree->setCurrentIndex(model->indexOfPosition(1));
        clock.restart();
        Q_EMIT window.control<HotCommand>("cmdSearchNext")->click();
        const double next = double(clock.nsecsElapsed()) / 1e6;
        tree->setCurrentIndex(model->indexOfPosition(model->nodeCount()));
        clock.restart();
        Q_EMIT window.control<HotCommand>("cmdSearchPrev")->click();
        const double previous = double(clock.nsecsElapsed()) / 1e6;
        // The same steps with a text every node holds: the match is the first
        // node visited, so this is what a step costs besides the visit.
        search->setText(QString());
        tree->setCurrentIndex(model->indexOfPosition(1));
        clock.restart();
        Q_EMIT window.control<HotCommand>("cmdSearchNext")->click();
        const double step = double(clock.nsecsElapsed()) / 1e6;
        std::printf(
            "window search %.1f next %.1f previous %.1f (a step that visits one node: %.1f)\n", all,
            next, previous, step);
    }
};

int main(int argc, char* argv[])
{
    // The log and the repeat count come first; QTest reads the rest.
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_bench LOGFILE [REPEAT] [QTest options]\n");
        return 2;
    }
    logFile = QString::fromLocal8Bit(argv[1]);
    int skip = 1;
    if (argc > 2 && QByteArray(argv[2]).toInt() > 0) {
        repeat = QByteArray(argv[2]).toInt();
        skip = 2;
    }
    std::vector<char*> rest{argv[0]};
    for (int i = 1 + skip; i < argc; ++i)
        rest.push_back(argv[i]);
    int restCount = int(rest.size());
    rest.push_back(nullptr);
    QApplication app(restCount, rest.data());
    WindowBench bench;
    return QTest::qExec(&bench, restCount, rest.data());
}

#include "window_bench.moc"
