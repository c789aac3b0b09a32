#include "tree/tree_report.h"

#include "tree/tree_model.h"

#include <QScopeGuard>
#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Visits the nodes and all below them in display order, depth first, with
// their depth (`depth` for the nodes given).
template <typename Visit>
bool walk(const TreeModel& model, std::span<const qint32> nodes, int depth, Visit visit)
{
    // An explicit stack: a deep tree must not exhaust the call stack.
    struct Frame {
        std::span<const qint32> children;
        std::size_t next;
    };
    std::vector<Frame> stack{{nodes, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        const std::size_t count = top.children.size();
        if (top.next >= count) {
            stack.pop_back();
            continue;
        }
        // Long lists (the roots, a group) may jump across memory in display
        // order (sorted downloads, groups): ask for the nodes a little ahead,
        // and for their own children (the downloads of a group) a little later,
        // once their lists are in. A list that runs in order needs none of it.
        const int here = top.children[top.next];
        const auto far = [here](int position) { return std::abs(position - here) > 4096; };
        if (count >= 64) {
            const std::size_t ahead = top.next;
            for (const auto& [distance, stage] : {std::pair{32, 0}, {24, 1}, {16, 2}, {8, 3}}) {
                const std::size_t at = ahead + std::size_t(distance);
                if (at < count && far(top.children[at]))
                    model.prefetch(top.children[at], stage);
            }
            for (const auto& [distance, stage] : {std::pair{8, 0}, {4, 1}, {2, 2}, {1, 3}}) {
                const std::size_t at = ahead + std::size_t(distance);
                if (at >= count)
                    continue;
                const int node = top.children[at];
                const std::span<const qint32> grandchildren = model.children(node);
                // Details lie right after their download: nothing to fetch.
                if (grandchildren.empty() || grandchildren[0] == node + 1)
                    continue;
                for (std::size_t k = 0; k < std::min<std::size_t>(grandchildren.size(), 8); ++k)
                    model.prefetch(grandchildren[k], stage);
            }
        }
        const int child = top.children[top.next++];
        if (!visit(child, depth + static_cast<int>(stack.size()) - 1))
            return false;
        const std::span<const qint32> grandchildren = model.children(child);
        if (!grandchildren.empty())
            stack.push_back({grandchildren, 0});
    }
    return true;
}

// Turns the Latin-1 bytes of out from `from` on into UTF-8, in place. ASCII,
// the usual case, stays as it is: eight bytes are checked at a time.
void latin1ToUtf8(std::string& out, std::size_t from)
{
    constexpr quint64 kHigh = 0x8080808080808080ull;
    std::size_t high = 0;
    {
        const char* p = out.data();
        const std::size_t n = out.size();
        std::size_t i = from;
        for (; i + 8 <= n; i += 8) {
            quint64 v;
            std::memcpy(&v, p + i, 8);
            // One per byte beyond ASCII, summed by a multiplication.
            high += std::size_t((((v & kHigh) >> 7) * 0x0101010101010101ull) >> 56);
        }
        for (; i < n; ++i)
            high += static_cast<unsigned char>(p[i]) >> 7;
    }
    if (high == 0)
        return;
    // Each byte beyond ASCII takes two: move everything up from the end.
    std::size_t src = out.size();
    out.resize(out.size() + high);
    char* p = out.data();
    std::size_t dst = out.size();
    while (src > from) {
        if (src - from >= 8) {
            quint64 v;
            std::memcpy(&v, p + src - 8, 8);
            if ((v & kHigh) == 0) {
                src -= 8;
                dst -= 8;
                std::memmove(p + dst, &v, 8);
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(p[--src]);
        if (b < 0x80) {
            p[--dst] = char(b);
        } else {
            p[--dst] = char(0x80 | (b & 0x3F));
            p[--dst] = char(0xC0 | (b >> 6));
        }
    }
}

// A stretch of the report that can be made apart from the others: a node's
// own line alone (a large group, whose children are stretches of their own)
// or some nodes with everything below them.
struct Stretch {
    int head = 0; // the node whose line alone this is, or 0
    std::span<const qint32> nodes;
    int depth = 0;
};

// About this many lines per stretch: large enough to keep a thread busy for a
// while, small enough that the few made ahead of the writing take little memory.
constexpr std::size_t kStretchLines = 4096;

// The report cut into stretches, in order. A node's lines are guessed from its
// children, without walking the tree: a download has up to seven details.
std::vector<Stretch> stretchesOf(const TreeModel& model)
{
    std::vector<Stretch> stretches;
    const std::span<const qint32> roots = model.children(0);
    std::size_t from = 0, lines = 0;
    auto close = [&](std::size_t to) {
        if (to > from)
            stretches.push_back({0, roots.subspan(from, to - from), 0});
        from = to;
        lines = 0;
    };
    for (std::size_t r = 0; r < roots.size(); ++r) {
        const std::span<const qint32> children = model.children(roots[r]);
        if (children.size() * 8 < kStretchLines) {
            lines += 1 + children.size() * 8;
            if (lines >= kStretchLines)
                close(r + 1);
            continue;
        }
        close(r);
        stretches.push_back({roots[r], {}, 0});
        for (std::size_t c = 0; c < children.size(); c += kStretchLines / 8)
            stretches.push_back(
                {0, children.subspan(c, std::min(kStretchLines / 8, children.size() - c)), 1});
        from = r + 1;
    }
    close(roots.size());
    return stretches;
}

// Appends one node's line as UTF-8 to out. Lines are gathered as Latin-1 (nearly
// always plain ASCII) and turned into UTF-8 in place from `plain` on; a line
// beyond Latin-1 goes through QString.
template <typename Reader>
void appendLine(const Reader& reader, int node, int depth, std::string& out, std::size_t& plain)
{
    const std::size_t start = out.size();
    out.append(std::size_t(depth) * 2, ' ');
    const bool latin1 = reader.appendLatin1Key(node, out) && (out.push_back('\t'), true) &&
                        reader.appendLatin1Text(node, out);
    if (latin1) {
        out.push_back('\n');
        return;
    }
    out.resize(start);
    latin1ToUtf8(out, plain);
    const QByteArray line = (QString(depth * 2, QLatin1Char(' ')) + reader.key(node) +
                             QLatin1Char('\t') + reader.text(node) + QLatin1Char('\n'))
                                .toUtf8();
    out.append(line.constData(), std::size_t(line.size()));
    plain = out.size();
}

// The UTF-8 text of one stretch, in out (emptied first).
template <typename Reader>
void makeStretch(const TreeModel& model, const Reader& reader, const Stretch& stretch,
                 std::string& out)
{
    out.clear();
    std::size_t plain = 0;
    if (stretch.head)
        appendLine(reader, stretch.head, stretch.depth, out, plain);
    walk(model, stretch.nodes, stretch.depth, [&](int node, int depth) {
        appendLine(reader, node, depth, out, plain);
        return true;
    });
    latin1ToUtf8(out, plain);
}

bool writeAll(QIODevice& device, const std::string& text)
{
    return text.empty() || device.write(text.data(), qint64(text.size())) == qint64(text.size());
}

// Stretches made on a second thread while this one makes others and writes
// them out in order. The helper reads the tree through a reader of its own.
// The texts' buffers go round: a written one holds the next stretch made.
class StretchPipeline {
public:
    StretchPipeline(const TreeModel& model, const std::vector<Stretch>& stretches)
        : model_(model), stretches_(stretches), texts_(stretches.size()),
          done_(stretches.size(), 0), reader_(model)
    {
    }

    bool canRun() const { return reader_.isValid(); }

    bool writeTo(QIODevice& device)
    {
        std::thread helper([this] { help(); });
        const auto stopHelper = qScopeGuard([&] {
            {
                const std::lock_guard lock(mutex_);
                stop_ = true;
            }
            changed_.notify_all();
            helper.join();
        });
        for (std::size_t i = 0; i < stretches_.size(); ++i) {
            std::unique_lock lock(mutex_);
            while (!done_[i]) {
                if (canMakeOne())
                    makeOne(lock, model_);
                else
                    changed_.wait(lock);
            }
            std::string text = std::move(texts_[i]);
            lock.unlock();
            if (!writeAll(device, text))
                return false;
            lock.lock();
            written_ = i + 1;
            spare_.push_back(std::move(text));
            lock.unlock();
            changed_.notify_all();
        }
        return true;
    }

private:
    // How many stretches may wait, made, for their turn to be written.
    static constexpr std::size_t kAhead = 4;

    void help()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock,
                          [this] { return stop_ || next_ >= stretches_.size() || canMakeOne(); });
            if (stop_ || next_ >= stretches_.size())
                return;
            makeOne(lock, reader_);
        }
    }

    // With the lock held: a stretch is left to make, and room to keep it.
    bool canMakeOne() const { return next_ < stretches_.size() && next_ < written_ + kAhead; }

    // Makes the next stretch with the lock let go meanwhile.
    template <typename Reader>
    void makeOne(std::unique_lock<std::mutex>& lock, const Reader& reader)
    {
        const std::size_t mine = next_++;
        std::string text = spareBuffer();
        lock.unlock();
        makeStretch(model_, reader, stretches_[mine], text);
        lock.lock();
        texts_[mine] = std::move(text);
        done_[mine] = 1;
        changed_.notify_all();
    }

    // With the lock held.
    std::string spareBuffer()
    {
        if (spare_.empty())
            return std::string();
        std::string text = std::move(spare_.back());
        spare_.pop_back();
        return text;
    }

    const TreeModel& model_;
    const std::vector<Stretch>& stretches_;
    std::vector<std::string> texts_;
    std::vector<char> done_;
    std::vector<std::string> spare_;
    const TreeModel::ThreadReader reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;    // the next stretch to make
    std::size_t written_ = 0; // stretches written out
    bool stop_ = false;
};

// Below this many nodes a second thread costs more than it saves.
constexpr int kNodesForTwoThreads = 50000;

} // namespace

void writeTreeReport(const TreeModel& model, QTextStream& out)
{
    walk(model, model.children(0), 0, [&](int node, int depth) {
        out << QString(depth * 2, QLatin1Char(' ')) << model.key(node) << '\t' << model.text(node)
            << '\n';
        return true;
    });
}

bool writeTreeReportUtf8(const TreeModel& model, QIODevice& device)
{
    const std::vector<Stretch> stretches = stretchesOf(model);
    if (model.nodeCount() >= kNodesForTwoThreads && stretches.size() > 1 &&
        std::thread::hardware_concurrency() > 1) {
        StretchPipeline pipeline(model, stretches);
        if (pipeline.canRun())
            return pipeline.writeTo(device);
    }
    std::string text;
    for (const Stretch& stretch : stretches) {
        makeStretch(model, model, stretch, text);
        if (!writeAll(device, text))
            return false;
    }
    return true;
}
