// The window's side of searching the tree and of Execute. Finding a node and
// deciding what a node opens is the tree's (tree_search, open_command).
#include "window/main_window.h"

#include "controls/hot_command.h"
#include "log/messages.h"
#include "platform/desktop_opener.h"
#include "tree/open_command.h"
#include "tree/tree_model.h"
#include "tree/tree_search.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QTreeView>

namespace {

const QString kInitialSearchText = QStringLiteral("Enter search string...");

} // namespace

QString MainWindow::notFoundText(const QString& text, SearchRange range)
{
    const QString where = range == SearchRange::FromFirst ? QStringLiteral("in the tree")
                          : range == SearchRange::Next    ? QStringLiteral("below the selection")
                                                          : QStringLiteral("above the selection");
    return QStringLiteral("\u201c%1\u201d was not found %2.").arg(text, where);
}

int MainWindow::selectedPosition() const
{
    return treeModel->positionOf(tvwFiles->currentIndex());
}

void MainWindow::search(SearchRange range)
{
    // A search that waited while the tree fills would read it half-made.
    if (busy_ || txtSearch->text() == kInitialSearchText)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int found = findNode(*treeModel, txtSearch->text(), caseSensitiveSearch_, range,
                               selectedPosition());
    if (found > 0) {
        // EnsureVisible: open every ancestor, then bring the node into view.
        const QModelIndex index = treeModel->indexOfPosition(found);
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            tvwFiles->expand(parent);
        tvwFiles->setCurrentIndex(index);
        tvwFiles->scrollTo(index);
    }
    QApplication::restoreOverrideCursor();
    QApplication::beep();
    tvwFiles->setFocus();
    // The beep alone says nothing on a silent desktop: a miss is told in words.
    if (found == 0)
        QToolTip::showText(txtSearch->mapToGlobal(QPoint(0, txtSearch->height())),
                           notFoundText(txtSearch->text(), range), txtSearch);
}

void MainWindow::cmdSearch_Click()
{
    search(SearchRange::FromFirst);
}

void MainWindow::cmdSearchNext_Click()
{
    search(SearchRange::Next);
}

void MainWindow::cmdSearchPrev_Click()
{
    search(SearchRange::Previous);
}

void MainWindow::cmdCase_Click()
{
    if (cmdCase->caption() != QLatin1String("ABC")) {
        cmdCase->setCaption(QStringLiteral("ABC"));
        caseSensitiveSearch_ = false;
    } else {
        cmdCase->setCaption(QStringLiteral("aBc"));
        caseSensitiveSearch_ = true;
    }
    txtSearch->setFocus();
}

// cmdPlay: "Execute"
void MainWindow::cmdPlay_Click()
{
    if (busy_ || treeModel->nodeCount() == 0)
        return;
    const int selected = selectedPosition();
    if (selected == 0)
        return;
    const OpenResult result =
        openNodeTarget(treeModel->text(selected), session_.resolver(), *desktopOpener_);
    switch (result.outcome) {
    case OpenResult::Outcome::Nothing:
    case OpenResult::Outcome::Opened:
        break;
    case OpenResult::Outcome::FileMissing:
        showMessage(result.message, QMessageBox::Critical, Messages::appTitle());
        break;
    case OpenResult::Outcome::Refused:
    case OpenResult::Outcome::OpenFailed:
        showMessage(result.message, QMessageBox::Warning, Messages::appTitle());
        break;
    }
}

// txtSearch_GotFocus and txtSearch_KeyDown, seen through the window's event filter.
bool MainWindow::txtSearchEvent(QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QMetaObject::invokeMethod(txtSearch, &QLineEdit::selectAll, Qt::QueuedConnection);
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdSearch_Click();
            return true; // the key goes no further
        }
    }
    return false;
}
