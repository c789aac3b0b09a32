// The window's side of the analysis and of the tree: AnalyzeLog, PopulateTree
// and the five sort commands. The work itself is LogAnalyzer's and TreeFiller's.
#include "window/main_window.h"

#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "log/log_analyzer.h"
#include "log/messages.h"
#include "log/statistics_text.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "window/progress_pacer.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTreeView>

namespace {

// Lets the window repaint and timers run in the middle of long work. Clicks
// and keys wait until the work is done; the commands they could reach are
// disabled then anyway.
void keepWindowAlive()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

// AnalyzeLog
void MainWindow::analyzeLog()
{
    if (session_.logLines.isEmpty()) {
        endProgress();
        return;
    }
    const bool monitorWasOn = chkMonitor->isChecked();
    chkMonitor->setChecked(false);
    chkMonitor->setEnabled(false);

    const int lines = session_.logLines.count();
    PBar1->show();
    PBar1->setCaption(QStringLiteral("Analyzing"));
    PBar1->setMax(lines);
    PBar1->setMin(1);
    repaint();
    tvwFiles->hide();

    ProgressPacer pacer;
    const LogAnalyzer::Result result = LogAnalyzer(session_, formats_).run([&](int line) {
        // The clock is read every thousand lines or so: reading it for every
        // line of a large log would cost more than the yields themselves.
        if (((line & 0x3FF) == 0 && pacer.due()) || line == lines) {
            PBar1->setValue(line);
            keepWindowAlive();
        }
        return !closeRequested_;
    });
    if (result.abandoned)
        return; // the window is closing

    tvwFiles->show();
    QStringList texts;
    for (const FittingLabel* label : lblStatTxt)
        texts << label->text();
    texts = statisticsTexts(session_.statistics, session_.firstLogDate, session_.lastLogDate,
                            formats_, texts);
    for (int i = 0; i < StatCount; ++i)
        setStatText(i, texts[i]);

    QCoreApplication::processEvents();
    if (closeRequested_)
        return;

    chkMonitor->setEnabled(true);
    chkMonitor->setChecked(monitorWasOn);
    for (HotCommand* command :
         {cmdCase, cmdSearch, cmdSearchNext, cmdSearchPrev, cmdPlay, cmdReRead})
        command->setEnabled(true);
    txtSearch->setEnabled(true);

    populateTree();
    if (closeRequested_)
        return;
    endProgress();

    // A line that could not be taken apart was skipped, not the rest of the log.
    if (result.skippedLines > 0)
        showMessage(skippedLinesMessage(result.skippedLines), QMessageBox::Information,
                    Messages::appTitle());
}

// PopulateTree
void MainWindow::populateTree()
{
    tvwFiles->hide();
    QCoreApplication::processEvents();
    if (closeRequested_)
        return;

    const LogEntries& entries = *session_.logEntries;
    const int records = entries.count();
    PBar1->setCaption(QStringLiteral("Populating"));
    PBar1->setMax(records);
    if (sortOrder_ != SortOrder::SortNone && sortOrder_ != SortOrder::SortByName)
        PBar1->setMin(1);
    PBar1->show();

    ProgressPacer pacer;
    treeFiller_->fill(*treeModel, entries, sortOrder_, session_.wideDate, [&](int record) {
        if (((record & 0xFF) == 0 && pacer.due()) || record == records) {
            PBar1->setValue(record);
            keepWindowAlive();
        }
        return !closeRequested_;
    });
    PBar1->hide();
    if (closeRequested_)
        return;

    for (HotCommand* command : sortCommands())
        command->setEnabled(true);
    sortCommands()[static_cast<int>(sortOrder_)]->setEnabled(false);

    if (treeModel->nodeCount() > 0)
        tvwFiles->setCurrentIndex(treeModel->indexOfPosition(1));
    tvwFiles->show();
}

std::array<HotCommand*, 5> MainWindow::sortCommands() const
{
    // In the order of the sort orders' values.
    return {cmdNoSort, cmdByDate, cmdByName, cmdByURL, cmdByLocal};
}

void MainWindow::sortCommand(SortOrder order)
{
    if (busy_ || sortOrder_ == order)
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    sortOrder_ = order;
    populateTree();
}

void MainWindow::cmdNoSort_Click()
{
    sortCommand(SortOrder::SortNone);
}

void MainWindow::cmdByDate_Click()
{
    sortCommand(SortOrder::SortByDate);
}

void MainWindow::cmdByName_Click()
{
    sortCommand(SortOrder::SortByName);
}

void MainWindow::cmdByURL_Click()
{
    sortCommand(SortOrder::SortByURL);
}

void MainWindow::cmdByLocal_Click()
{
    sortCommand(SortOrder::SortByLocal);
}
