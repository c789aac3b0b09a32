#include "controls/design_store.h"
#include "controls/hot_command.h"
#include "controls/uc_pbar.h"

#include <QtTest>

namespace {

QFont designFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

const QStringList PBarWriteOrder = {
    "BackColor",       "ForeColor",     "Enabled",  "Font",         "BackStyle", "BorderStyle",
    "Caption",         "FontItalic",    "FontBold", "FontName",     "FontSize",  "FontStrikethru",
    "FontTransparent", "FontUnderline", "Min",      "BarBackColor", "BarBorder", "Max",
    "Value",           "DisplayStyle"};

const QStringList HotWriteOrder = {"BackColor",    "ForeColor",   "Enabled",     "Font",
                                   "Align",        "Cancel",      "Caption",     "ToolTipText",
                                   "Picture",      "BackColorHi", "ForeColorHi", "BackColorDown",
                                   "ForeColorDown"};

// The keys of a store in the order of a list that holds them all.
bool inOrder(const QStringList& keys, const QStringList& order)
{
    int last = -1;
    for (const QString& key : keys) {
        const int at = order.indexOf(key);
        if (at <= last)
            return false;
        last = at;
    }
    return true;
}

} // namespace

class TestDesignStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultsAreNotStored()
    {
        DesignStore store;
        QCOMPARE(store.read("Max", 100).toInt(), 100);
        store.write("Max", 100, 100);
        QVERIFY(!store.contains("Max"));
        store.write("Max", 7, 100);
        QCOMPARE(store.read("Max", 100).toInt(), 7);
        store.write("Caption", QStringLiteral("Exit"), QStringLiteral("HotCommand"));
        store.write("Max", 100, 100); // back to the default: dropped again
        QCOMPARE(store.keys(), QStringList{"Caption"});
    }

    void colours()
    {
        QPalette palette;
        palette.setColor(QPalette::Button, QColor(1, 2, 3));
        DesignStore store{{"Direct", 0x00804020u}, {"System", 0x8000000Fu}};
        QCOMPARE(store.readColor("Direct", 0, palette), QColor(0x20, 0x40, 0x80));
        QCOMPARE(store.readColor("System", 0, palette), QColor(1, 2, 3));
        QCOMPARE(store.readColor("Missing", 0x8000000F, palette), QColor(1, 2, 3));
        store.writeColor("Direct", QColor(0xC0, 0xC0, 0xC0), 0x8000000F, palette);
        QCOMPARE(store.value("Direct").toUInt(), 0x00C0C0C0u);
        store.writeColor("System", QColor(1, 2, 3), 0x8000000F, palette);
        QVERIFY(!store.contains("System"));
    }

    // The caption's one default: a missing "Caption" reads "HotCommand", and
    // every caption, "Command1" included, comes back as it was stored.
    void hotCommandCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Command1") << "Command1" << true;
        QTest::newRow("HotCommand") << "HotCommand" << false;
        QTest::newRow("Exit") << "Exit" << true;
        QTest::newRow("empty") << "" << true;
    }
    void hotCommandCaption()
    {
        QFETCH(QString, caption);
        QFETCH(bool, stored);
        HotCommand command;
        command.setCaption(caption);
        DesignStore store;
        command.writeProperties(store);
        QCOMPARE(store.contains("Caption"), stored);
        HotCommand restored;
        restored.readProperties(store);
        QCOMPARE(restored.caption(), caption);
    }

    void hotCommandMissingCaption()
    {
        HotCommand command; // a new control's caption
        QCOMPARE(command.caption(), QStringLiteral("Command1"));
        command.readProperties(DesignStore());
        QCOMPARE(command.caption(), QStringLiteral("HotCommand"));
    }

    // The window's Exit button as its design stores it, restored, stored again
    // and restored once more.
    void hotCommandRoundTrip()
    {
        QWidget host;
        host.setFont(designFont());
        const DesignStore design{{"BackColor", 0x00C0C0C0u},
                                 {"ForeColor", 0x80000012u},
                                 {"Caption", "Exit"},
                                 {"BackColorHi", 0x00000080u},
                                 {"ForeColorHi", 0x00FFFFFFu},
                                 {"BackColorDown", 0x00000080u},
                                 {"ForeColorDown", 0x00FFFFFFu},
                                 {"Cancel", true}};
        HotCommand exit(&host);
        exit.readProperties(design);
        QCOMPARE(exit.caption(), QStringLiteral("Exit"));
        QCOMPARE(exit.backColor(), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(exit.foreColor(), host.palette().color(QPalette::ButtonText));
        QCOMPARE(exit.backColorHi(), QColor(0x80, 0, 0));
        QCOMPARE(exit.foreColorDown(), QColor(Qt::white));
        QVERIFY(exit.cancel());
        QVERIFY(exit.isEnabled());
        QCOMPARE(exit.font(), designFont()); // the host's font

        DesignStore stored;
        exit.writeProperties(stored);
        QVERIFY(inOrder(stored.keys(), HotWriteOrder));
        QCOMPARE(stored.value("BackColor").toUInt(), 0x00C0C0C0u);
        QCOMPARE(stored.value("BackColorHi").toUInt(), 0x00000080u);
        QVERIFY(!stored.contains("Font"));
        QVERIFY(!stored.contains("Enabled"));

        HotCommand again(&host);
        again.readProperties(stored);
        for (auto get :
             {&HotCommand::backColor, &HotCommand::foreColor, &HotCommand::backColorHi,
              &HotCommand::foreColorHi, &HotCommand::backColorDown, &HotCommand::foreColorDown})
            QCOMPARE((again.*get)(), (exit.*get)());
        QCOMPARE(again.caption(), exit.caption());
        QCOMPARE(again.cancel(), exit.cancel());
    }

    // Every setting away from its default: all keys, in the writing order.
    void hotCommandEveryKey()
    {
        QWidget host;
        HotCommand command(&host);
        command.setBackColor(QColor(1, 1, 1));
        command.setForeColor(QColor(2, 2, 2));
        command.setEnabled(false);
        QFont font = command.font();
        font.setBold(!font.bold());
        command.setFont(font);
        QVERIFY(command.setAlign(2));
        command.setCancel(true);
        command.setCaption(QStringLiteral("Go"));
        command.setToolTipText(QStringLiteral("Tip"));
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        command.setPicture(picture);
        command.setBackColorHi(QColor(3, 3, 3));
        command.setForeColorHi(QColor(4, 4, 4));
        command.setBackColorDown(QColor(5, 5, 5));
        command.setForeColorDown(QColor(6, 6, 6));
        DesignStore store;
        command.writeProperties(store);
        QCOMPARE(store.keys(), HotWriteOrder);

        HotCommand restored(&host);
        restored.readProperties(store);
        QVERIFY(!restored.isEnabled());
        QCOMPARE(restored.align(), 2);
        QCOMPARE(restored.toolTipText(), QStringLiteral("Tip"));
        QCOMPARE(restored.picture().size(), QSize(4, 4));
        QCOMPARE(restored.font().bold(), font.bold());
        QCOMPARE(restored.foreColorDown(), QColor(6, 6, 6));
    }

    // The window's progress bar: its design, restored and stored again.
    void pbarRoundTrip()
    {
        QWidget host;
        host.setFont(designFont());
        QFont greek = designFont();
        greek.setFamily(QStringLiteral("DejaVu Sans"));
        const DesignStore design{
            {"BackColor", 0x00C0C0C0u}, {"Font", QVariant::fromValue(greek)}, {"BackStyle", 0},
            {"Caption", "0 of 100"},    {"BarBackColor", 0x00808080u},        {"DisplayStyle", 5}};
        UcPBar bar(&host);
        bar.readProperties(design);
        QCOMPARE(bar.backColor(), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(bar.barBackColor(), QColor(0x80, 0x80, 0x80));
        QCOMPARE(bar.backStyle(), 0);
        QCOMPARE(bar.caption(), QStringLiteral("0 of 100"));
        QCOMPARE(bar.displayStyle(), 5);
        QCOMPARE(bar.font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(bar.max(), 100);
        QCOMPARE(bar.barBorder(), 1);
        QVERIFY(bar.fontTransparent());

        DesignStore stored;
        bar.writeProperties(stored);
        QCOMPARE(stored.keys(),
                 QStringList({"BackColor", "Font", "BackStyle", "Caption", "FontName", "FontSize",
                              "BarBackColor", "DisplayStyle"}));
        QCOMPARE(stored.value("FontName").toString(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(stored.value("FontSize").toFloat(), 8.25f); // 11 pixels at 96 dpi

        UcPBar again(&host);
        again.readProperties(stored);
        QCOMPARE(again.caption(), bar.caption());
        QCOMPARE(again.backColor(), bar.backColor());
        QCOMPARE(again.displayStyle(), 5);
        QCOMPARE(again.font(), bar.font());
    }

    // Restoring sets the range directly and leaves the bar to the layout; the
    // font attribute keys override the restored font's own.
    void pbarRestoreDetails()
    {
        QWidget host;
        auto* bar = new UcPBar(&host);
        bar->setGeometry(0, 0, 202, 20);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QFont bold = host.font();
        bold.setBold(true);
        bar->readProperties({{"Font", QVariant::fromValue(bold)},
                             {"FontItalic", true},
                             {"Max", 10},
                             {"Value", 4},
                             {"Caption", "restored"},
                             {"DisplayStyle", 6}});
        QVERIFY(!bar->font().bold()); // "FontBold" missing reads False
        QVERIFY(bar->font().italic());
        QCOMPARE(bar->value(), 4);
        QCOMPARE(bar->caption(), QStringLiteral("restored"));
        QCOMPARE(bar->fillRect().width(), 80);
    }

    void pbarEveryKey()
    {
        QWidget host;
        UcPBar bar(&host);
        bar.setBackColor(QColor(1, 1, 1));
        bar.setForeColor(QColor(2, 2, 2));
        bar.setEnabled(false);
        bar.setFontUnderline(true); // the font differs from the host's too
        QVERIFY(bar.setBackStyle(0));
        QVERIFY(bar.setBorderStyle(1));
        bar.setCaption(QStringLiteral("x"));
        bar.setFontItalic(true);
        bar.setFontBold(true);
        bar.setFontStrikethru(true);
        bar.setFontTransparent(false);
        bar.setMin(-5);
        bar.setBarBackColor(QColor(3, 3, 3));
        QVERIFY(bar.setBarBorder(0));
        bar.setMax(50);
        bar.setValue(9);
        bar.setDisplayStyle(6);
        DesignStore store;
        bar.writeProperties(store);
        QCOMPARE(store.keys(), PBarWriteOrder);

        UcPBar restored(&host);
        restored.readProperties(store);
        QCOMPARE(restored.min(), -5);
        QCOMPARE(restored.max(), 50);
        QCOMPARE(restored.value(), 9);
        QCOMPARE(restored.displayStyle(), 6);
        QCOMPARE(restored.borderStyle(), 1);
        QCOMPARE(restored.barBorder(), 0);
        QVERIFY(!restored.fontTransparent());
        QVERIFY(restored.fontStrikethru() && restored.fontItalic() && restored.fontBold());
        QVERIFY(restored.fontUnderline());
        QVERIFY(!restored.isEnabled());
    }
};

QTEST_MAIN(TestDesignStore)
#include "tst_design_store.moc"
