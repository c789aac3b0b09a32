// The skinned Tavrin window: borderless, fixed 631 x 450, controls placed over
// the painted panels of the background artwork (tavrin_background.cpp).
#include "window/main_window.h"

#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "window/tray_icon.h"
#include "controls/design.h"
#include "window/handle_label.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>

namespace {

constexpr int StatTop[MainWindow::StatCount] = {127, 146, 163, 183, 202, 221, 239};

} // namespace

void MainWindow::layoutTavrin()
{
    using Design::place;

    setWindowTitle(QStringLiteral("Tavrin v1.0"));
    // No title bar and no taskbar button: desktops leave tool windows out of
    // the taskbar (X11 and Windows alike); the notification-area icon stands in
    // for it. Unlike Qt::X11BypassWindowManagerHint the window still takes the
    // focus, stacks normally and moves through the window manager. A desktop
    // without a notification area would leave no way back to a covered window:
    // there it keeps its taskbar button, and with it Alt+Tab.
    const bool trayStandsIn = tray_ && tray_->available();
    setWindowFlags((trayStandsIn ? Qt::Tool : Qt::Window) | Qt::FramelessWindowHint);
    // A tool window does not end the program when it closes; this one is the program.
    setAttribute(Qt::WA_QuitOnClose, true);
    // macOS would hide a tool window whenever another program is active.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
    setFixedSize(631, 450);

    place(lblMover, this, 17, 10, 575, 29);
    lblShutDown = new HandleLabel(this);
    lblShutDown->setObjectName(QStringLiteral("lblShutDown"));
    place(lblShutDown, this, 593, 14, 20, 18);

    // A static subtitle on the title strip: presses fall through to the drag handle.
    place(Label1, this, 137, 20, 118, 13);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

    picTray = new QLabel(this);
    picTray->setObjectName(QStringLiteral("picTray"));
    picTray->setPixmap(programIcon().pixmap(16, 16));
    place(picTray, this, 12, 16, 16, 16);
    picTray->hide();

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    QPalette grey = Picture1->palette();
    grey.setColor(QPalette::Window, Design::color(0x00C0C0C0));
    Picture1->setPalette(grey);
    place(Picture1, this, 47, 61, 563, 20);
    place(txtFileName, Picture1, 0, 1, 519, 16);
    txtFileName->setFrame(false);
    place(cmdOpenDefault, Picture1, 522, 1, 19, 16);
    place(cmdGetLog, Picture1, 541, 1, 19, 16);

    place(cmdNoSort, this, 41, 119, 56, 17);
    place(cmdByDate, this, 97, 119, 56, 17);
    place(cmdByName, this, 153, 119, 56, 17);
    place(cmdByURL, this, 209, 119, 56, 17);
    place(cmdByLocal, this, 265, 119, 56, 17);
    place(cmdPlay, this, 344, 119, 56, 17);
    place(tvwFiles, this, 42, 138, 357, 274);

    place(cmdCase, this, 44, 418, 23, 19);
    place(txtSearch, this, 69, 418, 245, 19);
    place(cmdSearchPrev, this, 315, 418, 15, 19);
    place(cmdSearch, this, 330, 418, 53, 19);
    place(cmdSearchNext, this, 383, 418, 15, 19);

    place(lblLogChanged, this, 510, 93, 107, 19);
    // A value may grow to the panel's right edge; past it, it is cut and tells
    // its whole text as a tooltip.
    for (int i = 0; i < StatCount; ++i) {
        place(lblStatTxt[std::size_t(i)], this, 520, StatTop[i], 79, 12);
        lblStatTxt[std::size_t(i)]->setRoom(616 - 520);
    }

    place(chkMonitor, this, 601, 268, 13, 13);
    // The painted word beside the box takes a click too, as a check box's text does.
    lblMonitor = new HandleLabel(this);
    lblMonitor->setObjectName(QStringLiteral("lblMonitor"));
    place(lblMonitor, this, 552, 266, 46, 17);
    chkMonitor->setAutoFillBackground(true);
    QPalette check = chkMonitor->palette();
    check.setColor(chkMonitor->backgroundRole(), Design::color(0x00C0C0C0));
    chkMonitor->setPalette(check);

    place(txtGetright, this, 410, 289, 208, 122);
    place(Text1, this, 123, 464, 107, 19);

    place(cmdReRead, this, 431, 417, 79, 21);
    place(cmdExit, this, 519, 417, 79, 21);
    // Transparent: the painted box shows around the fill and the caption.
    place(PBar1, this, 426, 417, 176, 21);
    PBar1->raise();
    PBar1->installEventFilter(this);
}
