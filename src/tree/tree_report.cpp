#include "tree/tree_report.h"

#include "tree/tree_model.h"

#include <vector>

void writeTreeReport(const TreeModel& model, QTextStream& out)
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
        const auto depth = static_cast<int>(stack.size()) - 1;
        out << QString(depth * 2, QLatin1Char(' ')) << model.key(child) << '\t' << model.text(child)
            << '\n';
        stack.push_back({child, 0});
    }
}
