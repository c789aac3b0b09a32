#include "window/main_window.h"

#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "log/messages.h"
#include "platform/gui/qt_desktop_opener.h"
#include "platform/registry_reader.h"
#include "tree/tree_filler.h"
#include "tree/tree_model.h"
#include "monitor/download_monitor.h"
#include "window/handle_label.h"
#include "window/tavrin_background.h"
#include "window/tray_icon.h"
#include "window/tree_icon_delegate.h"
#include "window/window_outline.h"
#include "window/window_placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

MainWindow::MainWindow(Skin skin, const RegistryReader& registry, const PathResolver& resolver,
                       DataExchangeClient* exchange, QWidget* parent)
    : QWidget(parent), skin_(skin), registry_(registry), exchange_(exchange), session_(resolver),
      treeFiller_(std::make_unique<TreeFiller>(formats_)),
      ownOpener_(std::make_unique<QtDesktopOpener>()), desktopOpener_(ownOpener_.get())
{
    createControls();
    setAcceptDrops(true); // a log dropped on the window is loaded
    if (skin_ == Skin::Tavrin) {
        tray_ = new TrayIcon(this);
        // A press that was on its way while the window closed must not bring it back.
        connect(tray_, &TrayIcon::pressed, this, [this] {
            if (!closeRequested_)
                bringToFront(this);
        });
    }
    tvwFiles->setItemDelegate(new TreeIconDelegate(tvwFiles));
    tvwFiles->setIconSize(QSize(16, 16));
    txtSearch->installEventFilter(this);
    if (skin_ == Skin::Tavrin)
        layoutTavrin();
    else
        layoutKoslin();
    connectHandlers();
    setUpKeyboard();
    centreOnScreen();
    formLoad();
}

MainWindow::~MainWindow()
{
    // The tree's nodes read their records through the filler: empty it first.
    treeModel->clear();
}

void MainWindow::setDesktopOpener(DesktopOpener* opener)
{
    desktopOpener_ = opener ? opener : ownOpener_.get();
}

bool MainWindow::isBlank(const QString& text)
{
    // Trimming removes spaces only.
    for (const QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

void MainWindow::connectHandlers()
{
    connect(cmdGetLog, &HotCommand::click, this, &MainWindow::cmdGetLog_Click);
    connect(cmdOpenDefault, &HotCommand::click, this, &MainWindow::cmdOpenDefault_Click);
    connect(cmdReRead, &HotCommand::click, this, &MainWindow::cmdReRead_Click);
    connect(cmdExit, &HotCommand::click, this, &MainWindow::cmdExit_Click);
    connect(lblMover, &HandleLabel::mouseDown, this, &MainWindow::lblMover_MouseDown);
    if (lblShutDown)
        connect(lblShutDown, &HandleLabel::click, this, &MainWindow::lblShutDown_Click);
    if (lblMonitor)
        connect(lblMonitor, &HandleLabel::click, this, [this] {
            if (chkMonitor->isEnabled())
                chkMonitor->toggle();
        });
    // The handler runs on every change of the value, by the user or by the program.
    connect(chkMonitor, &QCheckBox::toggled, this, &MainWindow::chkMonitor_Click);
    connect(monitor_, &DownloadMonitor::displayText, txtGetright, &QPlainTextEdit::setPlainText);
    connect(monitor_, &DownloadMonitor::logChanged, lblLogChanged, &QLabel::show);
    connect(cmdNoSort, &HotCommand::click, this, &MainWindow::cmdNoSort_Click);
    connect(cmdByDate, &HotCommand::click, this, &MainWindow::cmdByDate_Click);
    connect(cmdByName, &HotCommand::click, this, &MainWindow::cmdByName_Click);
    connect(cmdByURL, &HotCommand::click, this, &MainWindow::cmdByURL_Click);
    connect(cmdByLocal, &HotCommand::click, this, &MainWindow::cmdByLocal_Click);
    connect(cmdSearch, &HotCommand::click, this, &MainWindow::cmdSearch_Click);
    connect(cmdSearchNext, &HotCommand::click, this, &MainWindow::cmdSearchNext_Click);
    connect(cmdSearchPrev, &HotCommand::click, this, &MainWindow::cmdSearchPrev_Click);
    connect(cmdCase, &HotCommand::click, this, &MainWindow::cmdCase_Click);
    connect(cmdPlay, &HotCommand::click, this, &MainWindow::cmdPlay_Click);
}

void MainWindow::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(placeInside(size(), screen->availableGeometry()));
}

// Form_Load
void MainWindow::formLoad()
{
    // 1. The skinned window takes its outline. Its controls sit at design
    //    positions of 15 twips to the pixel, so the outline uses the same ratio.
    if (skin_ == Skin::Tavrin) {
        const QRegion outline = buildWindowOutline(15.0);
        if (!outline.isEmpty())
            setMask(outline);
    }

    // 2. GetRight's configured log.
    session_.defaultLogPath = registry_.getRegString(
        RegistryReader::HKeyCurrentUser, QStringLiteral("Software\\Headlight\\GetRight\\Config\\"),
        QStringLiteral("LogFile"), QString());

    // 3. Shown as stored; only a blank value counts as none.
    if (!isBlank(session_.defaultLogPath)) {
        txtFileName->setText(session_.defaultLogPath);
        cmdOpenDefault->setEnabled(true);
    } else {
        cmdOpenDefault->setEnabled(false);
        txtFileName->setText(Messages::noLogLoaded());
    }

    // 4.
    session_.logLines = LogLines();

    // 5.
    QCoreApplication::processEvents();

    // 6.
    if (tray_)
        tray_->createIcon();

    // 7. to 9.: ResetLog also starts the record collections empty.
    resetLog();
    sortOrder_ = SortOrder::SortNone;
}

// Form_QueryUnload: every close passes here, whatever asked for it.
void MainWindow::formQueryUnload()
{
    closeRequested_ = true;
    monitor_->shutDown();
    if (tray_)
        tray_->deleteIcon();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (skin_ == Skin::Koslin && !koslinAnchors_.empty())
        reflowKoslin();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // One local file, and only while no load runs.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!busy_ && urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    // After the drop is done: the drag's own event loop must not hold the load.
    const QString path = urls.first().toLocalFile();
    QMetaObject::invokeMethod(this, [this, path] { openLogFile(path); }, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    formQueryUnload();
    event->accept(); // a close is never cancelled
}

void MainWindow::cmdExit_Click()
{
    close();
}

void MainWindow::lblShutDown_Click()
{
    close();
}

void MainWindow::lblMover_MouseDown(Qt::MouseButton)
{
    // Any button moves the window, as a grab of a title bar would.
    startSystemMove();
}

bool MainWindow::startSystemMove()
{
    QWindow* window = windowHandle();
    return window && window->startSystemMove();
}

void MainWindow::timer1_Timer()
{
    monitor_->timer1_Timer();
}

void MainWindow::chkMonitor_Click()
{
    // Unticking shows "Not monitoring..." at once; ticking polls a second later.
    monitor_->setChecked(chkMonitor->isChecked());
    if (tvwFiles->isVisible() && tvwFiles->isEnabled())
        tvwFiles->setFocus();
}

void MainWindow::showMessage(const QString& text, QMessageBox::Icon icon, const QString& title,
                             const QString& detail)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, this);
    // Messages may quote a log's text (a refused link): never read it as markup.
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty()) {
        // A path is no markup either; the informative text has no format of its own.
        box.setInformativeText(detail.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")));
    }
    box.exec();
}

std::optional<QString> MainWindow::chooseLogFile()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile); // the chosen file must exist
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setNameFilters({QStringLiteral("Log Files (*.log)"), QStringLiteral("All files (*)")});
    const QString folder = dialogFolder();
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(QStringLiteral("getright.log"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

const QPixmap& MainWindow::background()
{
    const qreal ratio = devicePixelRatioF();
    if (background_.isNull() || !qFuzzyCompare(background_.devicePixelRatioF(), ratio))
        background_ = paintTavrinBackground(ratio);
    return background_;
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    if (skin_ != Skin::Tavrin) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), TavrinArtwork::rimColor());
    painter.drawPixmap(0, 0, background());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtSearch && txtSearchEvent(event))
        return true;
    // A transparent progress bar shows the artwork under it, never the buttons
    // it covers: the artwork is laid down before the bar paints itself.
    if (watched == PBar1 && event->type() == QEvent::Paint && skin_ == Skin::Tavrin &&
        PBar1->backStyle() == 0) {
        const QPixmap& artwork = background();
        const qreal ratio = artwork.devicePixelRatioF();
        const QRectF source(QPointF(PBar1->pos()) * ratio, QSizeF(PBar1->size()) * ratio);
        QPainter painter(PBar1);
        painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(PBar1->size())), artwork, source);
    }
    return QWidget::eventFilter(watched, event);
}
