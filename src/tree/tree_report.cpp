#include "tree/tree_report.h"

#include "tree/tree_model.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

// Visits every node in display order, depth first, with its depth (0 for a root).
template <typename Visit> bool walk(const TreeModel& model, Visit visit)
{
    // An explicit stack: a deep tree must not exhaust the call stack.
    struct Frame {
        std::span<const qint32> children;
        std::size_t next;
    };
    std::vector<Frame> stack{{model.children(0), 0}};
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
        if (!visit(child, static_cast<int>(stack.size()) - 1))
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

} // namespace

void writeTreeReport(const TreeModel& model, QTextStream& out)
{
    walk(model, [&](int node, int depth) {
        out << QString(depth * 2, QLatin1Char(' ')) << model.key(node) << '\t' << model.text(node)
            << '\n';
        return true;
    });
}

bool writeTreeReportUtf8(const TreeModel& model, QIODevice& device)
{
    // The buffer holds Latin-1 (nearly always plain ASCII) and becomes UTF-8
    // when it is written out. A node whose text goes beyond Latin-1 is written
    // out by itself, already as UTF-8.
    constexpr std::size_t kPiece = 1 << 20;
    std::string out;
    out.reserve(kPiece + 4096);
    auto write = [&](const char* data, std::size_t size) {
        return size == 0 || device.write(data, qint64(size)) == qint64(size);
    };
    auto flush = [&] {
        latin1ToUtf8(out, 0);
        const bool written = write(out.data(), out.size());
        out.clear();
        return written;
    };
    const bool walked = walk(model, [&](int node, int depth) {
        const std::size_t start = out.size();
        out.append(std::size_t(depth) * 2, ' ');
        const bool latin1 = model.appendLatin1Key(node, out) && (out.push_back('\t'), true) &&
                            model.appendLatin1Text(node, out);
        if (!latin1) {
            out.resize(start);
            if (!flush())
                return false;
            const QByteArray line = (QString(depth * 2, QLatin1Char(' ')) + model.key(node) +
                                     QLatin1Char('\t') + model.text(node) + QLatin1Char('\n'))
                                        .toUtf8();
            return write(line.constData(), std::size_t(line.size()));
        }
        out.push_back('\n');
        return out.size() < kPiece || flush();
    });
    return walked && flush();
}
