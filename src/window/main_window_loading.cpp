// The window's side of loading a log: the three loading commands, ResetLog and
// the messages a load gives. Reading the file is LogSession's.
#include "window/main_window.h"

#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "log/messages.h"
#include "platform/path_resolver.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "monitor/download_monitor.h"
#include "window/progress_pacer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

void MainWindow::resetLog()
{
    lblLogChanged->hide();
    PBar1->setMin(1);
    PBar1->setMax(2);
    PBar1->setValue(1);
    // The first and last log dates keep their text.
    for (int i = 0; i <= 4; ++i)
        setStatText(i, QStringLiteral("0"));
    for (HotCommand* command : {cmdCase, cmdSearch, cmdSearchNext, cmdSearchPrev, cmdByDate,
                                cmdByLocal, cmdByName, cmdByURL, cmdNoSort, cmdPlay, cmdReRead})
        command->setEnabled(false);
    txtSearch->setEnabled(false);
    tvwFiles->hide();
    treeModel->clear();
    treeFiller_->release();
    tvwFiles->show();
    repaint();
    // Counters to 0 and new, empty record collections.
    session_.resetRecords();
}

void MainWindow::loadLogFile(const QString& path)
{
    resetLog();
    lblLogChanged->hide();
    // A large log takes a while to read: the window repaints and its timers run
    // between the pieces, user input waits.
    ProgressPacer pacer;
    bool yielded = false;
    const LogSession::LoadOutcome outcome = session_.loadLogFile(path, [&](qint64, qint64) {
        if (pacer.due()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            yielded = true;
        }
        return !closeRequested_;
    });
    // After a close nothing more is shown: the window is gone.
    if (closeRequested_)
        return;
    // A monitor poll in between compared the file with the log loaded before.
    if (yielded)
        lblLogChanged->hide();
    monitor_->setLoadedLog(session_.loadedLogPath, session_.loadedLogStamp);
    if (outcome.hasLines)
        formats_.setLogDateOrder(session_.logDateOrder);
    if (!outcome.hasLines) {
        // No log is loaded now: its dates are not shown either.
        setStatText(5, QStringLiteral("0"));
        setStatText(6, QStringLiteral("0"));
    }
    switch (outcome.message) {
    case LogSession::LoadOutcome::Message::None:
        break;
    case LogSession::LoadOutcome::Message::BadRecords:
        showMessage(Messages::badRecords(outcome.badRecords), QMessageBox::Information,
                    Messages::appTitle(), outcome.hasLines ? QString() : outcome.detail);
        break;
    case LogSession::LoadOutcome::Message::NoDatedLines:
        showMessage(Messages::noDatedLines(), QMessageBox::Information, Messages::appTitle(),
                    outcome.detail);
        break;
    case LogSession::LoadOutcome::Message::FileError:
        showMessage(Messages::fileError(), QMessageBox::Critical, Messages::errorTitle(),
                    outcome.detail);
        break;
    }
}

void MainWindow::cmdGetLog_Click()
{
    if (busy_)
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    const std::optional<QString> chosen = chooseLogFile();
    if (!chosen)
        return; // cancelled: the loaded log, its tree and its statistics stay
    loadChosen(*chosen);
}

void MainWindow::openLogFile(const QString& path)
{
    if (busy_ || closeRequested_ || path.isEmpty())
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    loadChosen(QFileInfo(path).absoluteFilePath());
}

QString MainWindow::dialogFolder() const
{
    for (const QString& stored : {session_.loadedLogPath, session_.defaultLogPath}) {
        if (isBlank(stored))
            continue;
        const QFileInfo log(session_.resolver().resolve(stored));
        if (log.absoluteDir().exists())
            return log.absolutePath();
    }
    return QString();
}

void MainWindow::loadChosen(const QString& path)
{
    txtFileName->setText(QDir::toNativeSeparators(path));
    PBar1->setMin(0);
    PBar1->setValue(1);
    PBar1->setMax(1);
    PBar1->show();
    PBar1->setCaption(QStringLiteral("Reading"));
    loadLogFile(txtFileName->text());
    if (closeRequested_)
        return;
    PBar1->setCaption(QString());
    analyzeLog();
}

void MainWindow::cmdOpenDefault_Click()
{
    if (busy_ || isBlank(session_.defaultLogPath))
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    txtFileName->setText(session_.defaultLogPath);
    reRead();
}

void MainWindow::cmdReRead_Click()
{
    if (busy_)
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    reRead();
}

void MainWindow::reRead()
{
    if (txtFileName->text() == Messages::noLogLoaded())
        return;
    if (skin_ == Skin::Koslin) {
        // The plain build's progress bar leaves part of the buttons uncovered.
        cmdReRead->hide();
        cmdExit->hide();
    }
    PBar1->setValue(0);
    PBar1->show();
    PBar1->setCaption(QStringLiteral("Reading"));
    loadLogFile(txtFileName->text());
    QCoreApplication::processEvents();
    if (closeRequested_)
        return;
    PBar1->setCaption(QString());
    analyzeLog();
}

void MainWindow::setStatText(int index, const QString& text)
{
    lblStatTxt.at(index)->setText(text);
}

// Hides the progress bar; the plain build shows again what Re-read hid.
void MainWindow::endProgress()
{
    PBar1->hide();
    if (skin_ == Skin::Koslin) {
        cmdReRead->show();
        cmdExit->show();
    }
}
