#include "tree/tree_report.h"

#include "tree/tree_model.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Visits every node in display order, depth first, with its depth (0 for a root).
template <typename Visit> bool walk(const TreeModel& model, Visit visit)
{
    // An explicit stack: a deep tree must not exhaust the call stack.
    struct Frame {
        int node;
        int nextChild;
        int children;
    };
    std::vector<Frame> stack{{0, 0, model.childCount(0)}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.nextChild >= top.children) {
            stack.pop_back();
            continue;
        }
        // Long lists (the roots, a group) jump across memory in display order:
        // ask for the nodes a little ahead.
        if (top.children >= 64) {
            const int ahead = top.nextChild;
            if (ahead + 24 < top.children)
                model.prefetch(model.childAt(top.node, ahead + 24), 0);
            if (ahead + 12 < top.children)
                model.prefetch(model.childAt(top.node, ahead + 12), 1);
            if (ahead + 6 < top.children)
                model.prefetch(model.childAt(top.node, ahead + 6), 2);
        }
        const int child = model.childAt(top.node, top.nextChild++);
        if (!visit(child, static_cast<int>(stack.size()) - 1))
            return false;
        const int children = model.childCount(child);
        if (children > 0)
            stack.push_back({child, 0, children});
    }
    return true;
}

// Turns the Latin-1 bytes of out from `from` on into UTF-8. ASCII, the usual
// case, stays as it is: eight bytes are checked at a time.
void latin1ToUtf8(std::string& out, std::size_t from)
{
    const char* p = out.data();
    const std::size_t n = out.size();
    quint64 high = 0;
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
        quint64 v;
        std::memcpy(&v, p + i, 8);
        high |= v;
    }
    for (; i < n; ++i)
        high |= static_cast<unsigned char>(p[i]);
    if ((high & 0x8080808080808080ull) == 0)
        return;
    const std::string latin1 = out.substr(from);
    out.resize(from);
    for (const char c : latin1) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(char(0xC0 | (b >> 6)));
            out.push_back(char(0x80 | (b & 0x3F)));
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
    constexpr std::size_t kPiece = 1 << 20;
    std::string out;
    out.reserve(kPiece + 4096);
    auto flush = [&] {
        const bool written =
            out.empty() || device.write(out.data(), qint64(out.size())) == qint64(out.size());
        out.clear();
        return written;
    };
    const bool walked = walk(model, [&](int node, int depth) {
        out.append(std::size_t(depth) * 2, ' ');
        std::size_t at = out.size();
        if (model.appendLatin1Key(node, out))
            latin1ToUtf8(out, at);
        else
            out.append(model.key(node).toUtf8().toStdString());
        out.push_back('\t');
        at = out.size();
        if (model.appendLatin1Text(node, out))
            latin1ToUtf8(out, at);
        else
            out.append(model.text(node).toUtf8().toStdString());
        out.push_back('\n');
        return out.size() < kPiece || flush();
    });
    return walked && flush();
}
