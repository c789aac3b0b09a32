// The controls of the window with the design values both skins share: captions,
// tooltips, colours, fonts and start-up visibility. Where they sit is the skin's
// layout (tavrin_layout.cpp, koslin_layout.cpp).
#include "window/main_window.h"

#include "monitor/download_monitor.h"

#include "controls/design_store.h"
#include "controls/fitting_label.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "tree/tree_model.h"
#include "controls/design.h"
#include "window/handle_label.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeView>

namespace {

constexpr quint32 Grey = 0x00C0C0C0;     // face of the controls
constexpr quint32 DarkText = 0x00404040; // text of the buttons and the file row
constexpr quint32 ButtonShadow = 0x00808080;
constexpr quint32 LightGrey = 0x00E0E0E0; // pressed face
constexpr quint32 Black = 0x00000000;
constexpr quint32 White = 0x00FFFFFF;
constexpr quint32 DarkRed = 0x00000080; // Exit's hot and pressed face

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

void setColors(QWidget* widget, QPalette::ColorRole backRole, quint32 back, quint32 text = 0,
               QPalette::ColorRole textRole = QPalette::Text)
{
    QPalette palette = widget->palette();
    palette.setColor(backRole, Design::color(back, palette));
    if (text != 0)
        palette.setColor(textRole, Design::color(text, palette));
    widget->setPalette(palette);
}

} // namespace

void MainWindow::createControls()
{
    setFont(Design::msSansSerif());

    // The hot buttons are restored from their design tables, as the design stores them.
    auto hot = [this](const char* name, const QString& caption, const QString& toolTip = {},
                      const DesignStore& overrides = {}) {
        auto* command = named(new HotCommand(this), name);
        DesignStore design{{QStringLiteral("Caption"), caption},
                           {QStringLiteral("ToolTipText"), toolTip},
                           {QStringLiteral("BackColor"), Grey},
                           {QStringLiteral("ForeColor"), DarkText},
                           {QStringLiteral("BackColorHi"), Grey},
                           {QStringLiteral("ForeColorHi"), Black},
                           {QStringLiteral("BackColorDown"), LightGrey},
                           {QStringLiteral("ForeColorDown"), Black},
                           {QStringLiteral("Font"), QVariant::fromValue(Design::msSansSerif())}};
        for (const QString& key : overrides.keys())
            design.setValue(key, overrides.value(key));
        // Disabled captions are printed in the button shadow of the grey faces.
        QPalette palette = command->palette();
        palette.setColor(QPalette::Dark, Design::color(ButtonShadow));
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, Design::color(ButtonShadow));
        command->setPalette(palette);
        command->readProperties(design);
        command->setToolTip(toolTip);
        return command;
    };

    lblMover = named(new HandleLabel(this), "lblMover");

    Label1 = named(new QLabel(QStringLiteral("for Getright 3.x & 4.x"), this), "Label1");
    Label1->setFont(Design::msSansSerif(true));
    setColors(Label1, QPalette::Window, 0, 0x00E1E1E1, QPalette::WindowText);

    txtFileName = named(new QLineEdit(this), "txtFileName");
    txtFileName->setReadOnly(true);
    txtFileName->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    setColors(txtFileName, QPalette::Base, Grey, DarkText);

    cmdOpenDefault = hot("cmdOpenDefault", QStringLiteral("D"), QStringLiteral("Open Default Log"),
                         {{QStringLiteral("Font"), QVariant::fromValue(Design::msSansSerif(true))}});
    cmdGetLog = hot("cmdGetLog", QStringLiteral("..."));

    cmdNoSort = hot("cmdNoSort", QStringLiteral("No Sort"), QStringLiteral("No Sort"));
    cmdByDate = hot("cmdByDate", QStringLiteral("By Date"), QStringLiteral("Sort By Date"));
    cmdByName = hot("cmdByName", QStringLiteral("By Name"), QStringLiteral("Sort By Name"));
    cmdByURL = hot("cmdByURL", QStringLiteral("By URL"), QStringLiteral("Sort By URL"));
    cmdByLocal = hot("cmdByLocal", QStringLiteral("By Local"), QStringLiteral("Sort By Local"));
    cmdPlay = hot("cmdPlay", QStringLiteral("Execute"));

    treeModel = named(new TreeModel(this), "treeModel");
    tvwFiles = named(new QTreeView(this), "tvwFiles");
    tvwFiles->setModel(treeModel);
    tvwFiles->setHeaderHidden(true);
    tvwFiles->setFont(Design::tahoma());
    tvwFiles->setUniformRowHeights(true);
    tvwFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdCase = hot("cmdCase", QStringLiteral("ABC"),
                  QStringLiteral("Swap case sensitive/insensitive search"));
    txtSearch = named(new QLineEdit(QStringLiteral("Enter search string..."), this), "txtSearch");
    setColors(txtSearch, QPalette::Base, Grey);
    QPalette search = txtSearch->palette();
    search.setColor(QPalette::Disabled, QPalette::Text, Design::color(ButtonShadow));
    txtSearch->setPalette(search);
    cmdSearchPrev = hot("cmdSearchPrev", QStringLiteral("<"));
    cmdSearch = hot("cmdSearch", QStringLiteral("Search"));
    cmdSearchNext = hot("cmdSearchNext", QStringLiteral(">"));

    lblLogChanged = named(new QLabel(QStringLiteral("Log has changed"), this), "lblLogChanged");
    lblLogChanged->setFont(Design::arial(13, true, true));
    setColors(lblLogChanged, QPalette::Window, 0, 0x0000FFFF, QPalette::WindowText);
    lblLogChanged->hide();

    for (int i = 0; i < StatCount; ++i) {
        lblStatTxt[std::size_t(i)] =
            named(new FittingLabel(QStringLiteral("0"), this), QStringLiteral("lblStatTxt%1").arg(i));
        setColors(lblStatTxt[std::size_t(i)], QPalette::Window, 0, 0x00202020,
                  QPalette::WindowText);
    }

    chkMonitor = named(new QCheckBox(this), "chkMonitor");
    chkMonitor->setChecked(false);

    txtGetright = named(new QPlainTextEdit(this), "txtGetright");
    txtGetright->setReadOnly(true);
    txtGetright->setFocusPolicy(Qt::ClickFocus);
    txtGetright->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtGetright->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setColors(txtGetright, QPalette::Base, Grey);
    txtGetright->setPlainText(DownloadMonitor::initialText());

    // The monitor's data-exchange client and tick; both idle until it is switched on.
    Text1 = named(new QLineEdit(this), "Text1");
    Text1->hide();
    monitor_ = named(new DownloadMonitor(session_.resolver(), exchange_, this), "monitor");

    cmdReRead = hot("cmdReRead", QStringLiteral("Re-read Log"));
    cmdExit = hot("cmdExit", QStringLiteral("Exit"), {},
                  {{QStringLiteral("ForeColor"), 0x80000012u},
                   {QStringLiteral("BackColorHi"), DarkRed},
                   {QStringLiteral("ForeColorHi"), White},
                   {QStringLiteral("BackColorDown"), DarkRed},
                   {QStringLiteral("ForeColorDown"), White}});

    // Made after the two buttons so that it lies above them.
    PBar1 = named(new UcPBar(this), "PBar1");
    PBar1->readProperties({{QStringLiteral("BackColor"), Grey},
                           {QStringLiteral("BarBackColor"), ButtonShadow},
                           {QStringLiteral("BackStyle"), skin_ == Skin::Tavrin ? 0 : 1},
                           {QStringLiteral("Caption"), QStringLiteral("0 of 100")},
                           {QStringLiteral("Font"), QVariant::fromValue(Design::msSansSerif())}});
    PBar1->setDisplayStyle(5);
    PBar1->hide();
}
