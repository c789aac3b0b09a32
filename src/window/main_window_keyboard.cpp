// The window for keyboard and screen-reader users: shortcuts, the tab order,
// Enter and double clicks in the tree, and a name for every control.
#include "window/main_window.h"

#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "tree/tree_model.h"
#include "window/handle_label.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTreeView>

namespace {

// A command's shortcut reaches it only while it is enabled, as a click does.
void shortcut(QWidget* window, const QKeySequence& keys, HotCommand* command,
              const std::function<void()>& run)
{
    auto* key = new QShortcut(keys, window);
    QObject::connect(key, &QShortcut::activated, window, [command, run] {
        if (command->isEnabled() && command->isVisible())
            run();
    });
}

} // namespace

void MainWindow::setUpKeyboard()
{
    shortcut(this, QKeySequence::Open, cmdGetLog, [this] { cmdGetLog_Click(); });
    shortcut(this, QKeySequence(Qt::Key_F5), cmdReRead, [this] { cmdReRead_Click(); });
    shortcut(this, QKeySequence(Qt::Key_F3), cmdSearchNext, [this] { cmdSearchNext_Click(); });
    shortcut(this, QKeySequence(Qt::SHIFT | Qt::Key_F3), cmdSearchPrev,
             [this] { cmdSearchPrev_Click(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        if (txtSearch->isEnabled())
            txtSearch->setFocus(Qt::ShortcutFocusReason);
    });

    // Enter or a double click on a detail node runs Execute; on a node with
    // children they open or close it, as a tree does.
    connect(tvwFiles, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid() && !treeModel->hasChildren(index) && cmdPlay->isEnabled())
            cmdPlay_Click();
    });

    // In the order the window reads: the file row, the sort commands and
    // Execute, the tree, the search row, the monitor, Re-read and Exit.
    QWidget* order[] = {cmdOpenDefault, cmdGetLog,     cmdNoSort, cmdByDate,     cmdByName,
                        cmdByURL,       cmdByLocal,    cmdPlay,   tvwFiles,      cmdCase,
                        txtSearch,      cmdSearchPrev, cmdSearch, cmdSearchNext, chkMonitor,
                        cmdReRead,      cmdExit};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    const std::pair<QWidget*, const char*> names[] = {
        {txtFileName, "Log file"},
        {cmdOpenDefault, "Open GetRight's configured log"},
        {cmdGetLog, "Choose a log file"},
        {cmdNoSort, "Log order"},
        {cmdByDate, "Sort by date"},
        {cmdByName, "Sort by name"},
        {cmdByURL, "Sort by URL folder"},
        {cmdByLocal, "Sort by local folder"},
        {cmdPlay, "Execute: open the selected file or URL"},
        {tvwFiles, "Files in log"},
        {cmdCase, "Match case"},
        {txtSearch, "Search text"},
        {cmdSearchPrev, "Find previous"},
        {cmdSearch, "Search from the first node"},
        {cmdSearchNext, "Find next"},
        {chkMonitor, "Monitor downloads"},
        {txtGetright, "Current downloads"},
        {lblLogChanged, "Log has changed"},
        {cmdReRead, "Re-read log"},
        {cmdExit, "Exit"},
        {PBar1, "Progress"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(QString::fromUtf8(name));
    static const char* const StatNames[StatCount] = {
        "Total files",     "Total resumes", "Total restarts", "Total completed",
        "Bytes recovered", "Log started",   "Log finished"};
    for (int i = 0; i < StatCount; ++i)
        lblStatTxt[std::size_t(i)]->setAccessibleName(QString::fromUtf8(StatNames[i]));
    if (lblShutDown)
        lblShutDown->setAccessibleName(QStringLiteral("Close"));
    if (lblMonitor)
        lblMonitor->setAccessibleName(QStringLiteral("Monitor downloads"));
}
