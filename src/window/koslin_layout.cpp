// The plain Koslin window: an ordinary titled window of 594 x 393 whose frame,
// headings and row captions are real controls instead of painted artwork.
#include "window/main_window.h"

#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "controls/design.h"
#include "window/handle_label.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>

namespace {

constexpr int CaptionTop[MainWindow::StatCount] = {5, 24, 42, 61, 80, 98, 117};
constexpr int ValueTop[MainWindow::StatCount] = {5, 24, 41, 61, 80, 99, 117};
const char* const CaptionText[MainWindow::StatCount] = {
    "Total Files",     "Total Resumes", "Total Restarts", "Total Completed",
    "Bytes Recovered", "Log Started",   "Log Finished"};

// Headings in the desktop's title-bar colours.
void paintAsTitleBar(QWidget* widget)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), Design::color(0x80000002, palette));
    palette.setColor(widget->foregroundRole(), Design::color(0x80000009, palette));
    widget->setPalette(palette);
    widget->setFont(Design::tahoma(true));
}

// Containers in the desktop's window colour.
QWidget* container(QWidget* parent, const char* name)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Design::color(0x80000005, palette));
    widget->setPalette(palette);
    return widget;
}

QLabel* heading(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    paintAsTitleBar(label);
    return label;
}

} // namespace

void MainWindow::layoutKoslin()
{
    using Design::place;

    setWindowTitle(QStringLiteral("Tavrin v1.0b for GetRight 3.x & 4.x"));
    // An ordinary window that can grow and be maximised; the layout's size is
    // its least.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setMinimumSize(KoslinSize);
    resize(KoslinSize);

    // Present as in Tavrin, but under the frame that covers them.
    place(lblMover, this, 17, 10, 575, 29);
    place(Label1, this, 137, 20, 118, 13);
    lblMover->lower();
    Label1->lower();

    Frame1 = new QGroupBox(QStringLiteral("LogFile"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    // A classic frame: the caption sits on the top edge, the controls below it.
    Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame1 { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox#Frame1::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; "
        "background-color: palette(window); }"));
    place(Frame1, this, 5, 6, 584, 33);
    place(txtFileName, Frame1, 8, 14, 527, 16);
    place(cmdOpenDefault, Frame1, 541, 14, 19, 16);
    place(cmdGetLog, Frame1, 560, 14, 19, 16);

    Label2 = heading(this, "Label2", QStringLiteral("  Files In Log"));
    place(Label2, this, 4, 44, 367, 15);
    Picture3 = container(this, "Picture3");
    place(Picture3, this, 4, 59, 367, 326);
    const int sortLeft[] = {3, 59, 115, 171, 227};
    HotCommand* const sorts[] = {cmdNoSort, cmdByDate, cmdByName, cmdByURL, cmdByLocal};
    for (int i = 0; i < 5; ++i)
        place(sorts[i], Picture3, sortLeft[i], 2, 56, 17);
    place(cmdPlay, Picture3, 306, 2, 56, 17);
    place(tvwFiles, Picture3, 3, 20, 359, 278);
    place(cmdCase, Picture3, 6, 301, 23, 19);
    place(txtSearch, Picture3, 31, 301, 245, 19);
    place(cmdSearchPrev, Picture3, 277, 301, 15, 19);
    place(cmdSearch, Picture3, 292, 301, 53, 19);
    place(cmdSearchNext, Picture3, 345, 301, 15, 19);

    Label4 = heading(this, "Label4", QStringLiteral(" Log Statistics"));
    place(Label4, this, 383, 44, 208, 16);
    place(lblLogChanged, this, 495, 45, 94, 16);
    lblLogChanged->setFont(Design::tahoma(true));
    lblLogChanged->raise();

    Picture1 = container(this, "Picture1");
    place(Picture1, this, 383, 59, 208, 140);
    for (int i = 0; i < StatCount; ++i) {
        auto* caption = new QLabel(QLatin1String(CaptionText[i]), Picture1);
        caption->setObjectName(QStringLiteral("Label3_%1").arg(i));
        Label3[std::size_t(i)] = caption;
        place(caption, Picture1, 4, CaptionTop[i], i == 4 ? 90 : 79, 13);
        place(lblStatTxt[std::size_t(i)], Picture1, 105, ValueTop[i], 79, 12);
        lblStatTxt[std::size_t(i)]->setRoom(208 - 3 - 105); // to the panel's edge
    }

    Label5 = heading(this, "Label5", QString());
    place(Label5, this, 383, 203, 208, 16);
    chkMonitor->setText(QStringLiteral("Monitor Downloads"));
    paintAsTitleBar(chkMonitor);
    place(chkMonitor, this, 387, 203, 200, 17);
    chkMonitor->raise();

    place(txtGetright, this, 383, 219, 208, 141);
    place(Text1, this, 123, 464, 107, 19);

    place(cmdReRead, this, 404, 364, 79, 21);
    place(cmdExit, this, 505, 364, 79, 21);
    place(PBar1, this, 392, 363, 176, 21);
    PBar1->raise();

    // What the room beyond the least size goes to: the tree takes the width
    // and the height, Current Downloads the height; the right column and the
    // buttons move with the edges.
    using A = Anchor;
    koslinAnchors_ = {
        {Frame1, A::GrowX},         {txtFileName, A::GrowX},   {cmdOpenDefault, A::MoveX},
        {cmdGetLog, A::MoveX},      {Label2, A::GrowX},        {Picture3, A::GrowX | A::GrowY},
        {tvwFiles, A::GrowX | A::GrowY}, {cmdPlay, A::MoveX},  {cmdCase, A::MoveY},
        {txtSearch, A::GrowX | A::MoveY}, {cmdSearchPrev, A::MoveX | A::MoveY},
        {cmdSearch, A::MoveX | A::MoveY}, {cmdSearchNext, A::MoveX | A::MoveY},
        {Label4, A::MoveX},         {lblLogChanged, A::MoveX}, {Picture1, A::MoveX},
        {Label5, A::MoveX},         {chkMonitor, A::MoveX},    {txtGetright, A::MoveX | A::GrowY},
        {cmdReRead, A::MoveX | A::MoveY}, {cmdExit, A::MoveX | A::MoveY},
        {PBar1, A::MoveX | A::MoveY},
    };
}

void MainWindow::reflowKoslin()
{
    const int dx = qMax(0, width() - KoslinSize.width());
    const int dy = qMax(0, height() - KoslinSize.height());
    for (const AnchoredControl& a : koslinAnchors_) {
        QRect r = a.home;
        if (a.anchor & Anchor::MoveX)
            r.translate(dx, 0);
        if (a.anchor & Anchor::MoveY)
            r.translate(0, dy);
        if (a.anchor & Anchor::GrowX)
            r.setWidth(r.width() + dx);
        if (a.anchor & Anchor::GrowY)
            r.setHeight(r.height() + dy);
        a.widget->setGeometry(r);
    }
}
