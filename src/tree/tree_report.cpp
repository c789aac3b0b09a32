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
    };
    std::vector<Frame> stack{{0, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.nextChild >= model.childCount(top.node)) {
            stack.pop_back();
            continue;
        }
        const int child = model.childAt(top.node, top.nextChild++);
        if (!visit(child, static_cast<int>(stack.size()) - 1))
            return false;
        stack.push_back({child, 0});
    }
    return true;
}

// Turns the Latin-1 bytes of out from `from` on into UTF-8.
void latin1ToUtf8(std::string& out, std::size_t from)
{
    std::size_t high = 0;
    for (std::size_t i = from; i < out.size(); ++i)
        high += static_cast<unsigned char>(out[i]) >> 7;
    if (high == 0)
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
