#pragma once

#include "log/formats.h"
#include "log/log_session.h"
#include "tree/sort_order.h"
#include "tree/tree_search.h"
#include "window/skin.h"

#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class DataExchangeClient;
class DesktopOpener;
class DownloadMonitor;
class FittingLabel;
class HandleLabel;
class HotCommand;
class PathResolver;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeView;
class RegistryReader;
class TrayIcon;
class TreeFiller;
class TreeModel;
class UcPBar;

// frmMain: the program's one window. Both programs build it from the same
// handlers; the skin decides only how it looks (see tavrin_layout.cpp and
// koslin_layout.cpp) and the few differences of the plain build.
//
// Every control carries its design name as its object name.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int StatCount = 7;

    // Runs the start-up sequence; nothing is read until the user asks for a log.
    // The monitor asks GetRight through `exchange` (taken over) or, without
    // one, through the local-socket backend.
    MainWindow(Skin skin, const RegistryReader& registry, const PathResolver& resolver,
               DataExchangeClient* exchange = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    Skin skin() const { return skin_; }
    // What a search that finds nothing tells beside the search box.
    static QString notFoundText(const QString& text, SearchRange range);
    const LogSession& session() const { return session_; }
    SortOrder sortOrder() const { return sortOrder_; }
    bool caseSensitiveSearch() const { return caseSensitiveSearch_; }

    // Where Execute hands what it opens; the desktop's own opener by default.
    void setDesktopOpener(DesktopOpener* opener);

    // Loads a log chosen outside the open dialog (the command line, a drop),
    // as a file chosen in it is loaded. Nothing while a load runs.
    void openLogFile(const QString& path);
    // The folder the open dialog starts in: the loaded log's, else that of
    // GetRight's configured log, else none (the dialog's own choice).
    QString dialogFolder() const;

public Q_SLOTS:
    void cmdGetLog_Click();
    void cmdOpenDefault_Click();
    void cmdReRead_Click();
    void cmdExit_Click();
    void lblShutDown_Click();
    void lblMover_MouseDown(Qt::MouseButton button);
    void chkMonitor_Click();
    void timer1_Timer();
    void cmdNoSort_Click();
    void cmdByDate_Click();
    void cmdByName_Click();
    void cmdByURL_Click();
    void cmdByLocal_Click();
    void cmdSearch_Click();
    void cmdSearchNext_Click();
    void cmdSearchPrev_Click();
    void cmdCase_Click();
    void cmdPlay_Click();

protected:
    // Seams to the desktop, so tests can stand in for the modal parts.
    // `detail` goes below the text (the box's informative text), when given.
    virtual void showMessage(const QString& text, QMessageBox::Icon icon, const QString& title,
                             const QString& detail = QString());
    // The chosen log's full path; nothing when the user cancels.
    virtual std::optional<QString> chooseLogFile();
    // Asks the window system to move the window with the pointer.
    virtual bool startSystemMove();

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a text is empty once the spaces around it are removed.
    static bool isBlank(const QString& text);

    void createControls();
    void layoutTavrin();
    void layoutKoslin();
    // The plain window's controls placed for its present size.
    void reflowKoslin();
    void connectHandlers();
    void setUpKeyboard();
    void centreOnScreen();
    // The Tavrin artwork at the screen's pixel ratio.
    const QPixmap& background();

    void formLoad();
    void formQueryUnload();

    // Loading a log.
    void loadChosen(const QString& path);
    void reRead();
    void resetLog();
    void loadLogFile(const QString& path);
    void analyzeLog();

    // The tree.
    void populateTree();
    void sortCommand(SortOrder order);
    std::array<HotCommand*, 5> sortCommands() const;

    // Searching and Execute.
    int selectedPosition() const;
    void search(SearchRange range);
    bool txtSearchEvent(QEvent* event);

    // What the loading and the analysis change on the window.
    void setStatText(int index, const QString& text);
    void endProgress();

    const Skin skin_;
    const RegistryReader& registry_;
    DataExchangeClient* exchange_; // handed to the monitor when it is made
    LogSession session_;
    Formats formats_; // reads dates in the loaded log's own order
    std::unique_ptr<TreeFiller> treeFiller_;
    std::unique_ptr<DesktopOpener> ownOpener_;
    DesktopOpener* desktopOpener_ = nullptr;
    SortOrder sortOrder_ = SortOrder::SortNone;
    bool caseSensitiveSearch_ = false;
    // Set by the first close request: long operations that yield to waiting
    // events stop at their next step instead of working on a closed window.
    bool closeRequested_ = false;
    // Set while a load, an analysis or a fill runs: they yield to waiting
    // events, and a command that waited must not start another one inside it.
    bool busy_ = false;
    QPixmap background_;

    // The plain window's layout: each control's place at the least size and
    // how it follows the window beyond it.
    static constexpr QSize KoslinSize{594, 393};
    enum Anchor { MoveX = 1, MoveY = 2, GrowX = 4, GrowY = 8 };
    struct AnchoredControl {
        AnchoredControl(QWidget* w, int a) : widget(w), anchor(a), home(w->geometry()) {}
        QWidget* widget;
        int anchor;
        QRect home;
    };
    std::vector<AnchoredControl> koslinAnchors_;

    // Controls of both skins.
    HandleLabel* lblMover = nullptr;
    HandleLabel* lblMonitor = nullptr; // the painted word "Monitor" (Tavrin): toggles chkMonitor
    QLabel* Label1 = nullptr;
    QLineEdit* txtFileName = nullptr;
    HotCommand* cmdOpenDefault = nullptr;
    HotCommand* cmdGetLog = nullptr;
    HotCommand* cmdNoSort = nullptr;
    HotCommand* cmdByDate = nullptr;
    HotCommand* cmdByName = nullptr;
    HotCommand* cmdByURL = nullptr;
    HotCommand* cmdByLocal = nullptr;
    HotCommand* cmdPlay = nullptr;
    QTreeView* tvwFiles = nullptr;
    TreeModel* treeModel = nullptr;
    HotCommand* cmdCase = nullptr;
    QLineEdit* txtSearch = nullptr;
    HotCommand* cmdSearchPrev = nullptr;
    HotCommand* cmdSearch = nullptr;
    HotCommand* cmdSearchNext = nullptr;
    QLabel* lblLogChanged = nullptr;
    std::array<FittingLabel*, StatCount> lblStatTxt{};
    QCheckBox* chkMonitor = nullptr;
    QPlainTextEdit* txtGetright = nullptr;
    QLineEdit* Text1 = nullptr;
    DownloadMonitor* monitor_ = nullptr; // owns Timer1
    UcPBar* PBar1 = nullptr;
    HotCommand* cmdReRead = nullptr;
    HotCommand* cmdExit = nullptr;
    QWidget* Picture1 = nullptr;

    // Tavrin only: the painted close mark and the owner of the notification-area icon.
    HandleLabel* lblShutDown = nullptr;
    QLabel* picTray = nullptr;
    TrayIcon* tray_ = nullptr;

    // Koslin only: what the Tavrin artwork paints.
    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QWidget* Picture3 = nullptr;
    std::array<QLabel*, StatCount> Label3{};
};
