#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "log/log_loader.h"
#include "platform/path_resolver.h"
#include "platform/registry_reader.h"
#include "platform/wine_path_resolver.h"
#include "platform/wine_registry_reader.h"
#include "tree/tree_model.h"
#include "window/main_window.h"
#include "window/window_test_support.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <optional>

Q_DECLARE_METATYPE(Skin)

namespace {

// Commands that ResetLog disables and only an analysed log enables.
const char* const LogCommands[] = {"cmdNoSort",     "cmdByDate",     "cmdByName", "cmdByURL",
                                   "cmdByLocal",    "cmdPlay",       "cmdCase",   "cmdSearch",
                                   "cmdSearchPrev", "cmdSearchNext", "cmdReRead"};

QRect inWindow(const QWidget* widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString writeLog(const QString& name, const QByteArray& content)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    static QByteArray datedLines(int count)
    {
        QByteArray lines;
        for (int i = 0; i < count; ++i)
            lines += "03/15/01 10:00:" + QByteArray::number(10 + i) + " - Connecting to host\r\n";
        return lines;
    }

private Q_SLOTS:
    void startUp_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::addColumn<std::optional<QString>>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("openDefault");

        const QString none = QStringLiteral("No log loaded...");
        for (const Skin skin : {Skin::Tavrin, Skin::Koslin}) {
            const char* s = skin == Skin::Tavrin ? "tavrin" : "koslin";
            QTest::addRow("%s no value", s) << skin << std::optional<QString>() << none << false;
            QTest::addRow("%s empty", s)
                << skin << std::optional<QString>(QString()) << none << false;
            QTest::addRow("%s spaces only", s)
                << skin << std::optional<QString>(QStringLiteral("   ")) << none << false;
            QTest::addRow("%s path", s)
                << skin << std::optional<QString>(QStringLiteral("C:\\GetRight\\getright.log"))
                << QStringLiteral("C:\\GetRight\\getright.log") << true;
            QTest::addRow("%s surrounding spaces kept", s)
                << skin << std::optional<QString>(QStringLiteral("  C:\\getright.log "))
                << QStringLiteral("  C:\\getright.log ") << true;
        }
    }

    void startUp()
    {
        QFETCH(Skin, skin);
        QFETCH(std::optional<QString>, value);
        QFETCH(QString, shown);
        QFETCH(bool, openDefault);

        FakeRegistry registry;
        registry.logFile = value;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);

        QCOMPARE(registry.calls, 1);
        QCOMPARE(registry.root, RegistryReader::HKeyCurrentUser);
        QCOMPARE(registry.subKey, ConfigKey);
        QCOMPARE(registry.valueName, QStringLiteral("LogFile"));
        QCOMPARE(registry.defaultValue, QString());
        QCOMPARE(w.session().defaultLogPath, value.value_or(QString()));

        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), shown);
        QCOMPARE(w.control<HotCommand>("cmdOpenDefault")->isEnabled(), openDefault);
        QVERIFY(w.control<HotCommand>("cmdGetLog")->isEnabled());
        QVERIFY(w.control<HotCommand>("cmdExit")->isEnabled());
        for (const char* name : LogCommands)
            QVERIFY2(!w.control<HotCommand>(name)->isEnabled(), name);
        QVERIFY(!w.control<QLineEdit>("txtSearch")->isEnabled());
        for (int i = 0; i < MainWindow::StatCount; ++i)
            QCOMPARE(w.control<QLabel>(qPrintable(QStringLiteral("lblStatTxt%1").arg(i)))->text(),
                     QStringLiteral("0"));
        QVERIFY(w.control<QLabel>("lblLogChanged")->isHidden());
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
        QVERIFY(!w.control<QTreeView>("tvwFiles")->isHidden());
        QCOMPARE(w.control<TreeModel>("treeModel")->nodeCount(), 0);
        QVERIFY(w.control<QLineEdit>("Text1")->isHidden());

        auto* monitor = w.control<QCheckBox>("chkMonitor");
        QVERIFY(monitor->isEnabled());
        QVERIFY(!monitor->isChecked());
        QCOMPARE(w.control<QPlainTextEdit>("txtGetright")->toPlainText(),
                 QStringLiteral("Not monitoring...\n"));
        auto* timer = w.control<QTimer>("Timer1");
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 0);

        QVERIFY(w.session().logLines.isEmpty());
        QCOMPARE(w.session().logEntries->count(), 0);
        QCOMPARE(w.sortOrder(), SortOrder::SortNone);
    }

    void window_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::newRow("tavrin") << Skin::Tavrin;
        QTest::newRow("koslin") << Skin::Koslin;
    }

    void window()
    {
        QFETCH(Skin, skin);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);

        // Whatever the window type, closing this window ends the program.
        QVERIFY(w.testAttribute(Qt::WA_QuitOnClose));
        if (skin == Skin::Tavrin) {
            QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
            QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
            QCOMPARE(w.windowTitle(), QStringLiteral("Tavrin v1.0"));
            QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(w.size(), QSize(631, 450));
            QCOMPARE(w.minimumSize(), w.maximumSize());
            QVERIFY(w.control<QLabel>("picTray")->isHidden());
            QVERIFY(w.findChild<QLabel*>(QStringLiteral("lblShutDown")));
        } else {
            QCOMPARE(w.windowTitle(), QStringLiteral("Tavrin v1.0b for GetRight 3.x & 4.x"));
            QVERIFY(!(w.windowFlags() & Qt::FramelessWindowHint));
            QVERIFY(w.windowFlags() & Qt::WindowTitleHint);
            // The plain window opens at the layout's size, its least; it can grow.
            QCOMPARE(w.size(), QSize(594, 393));
            QCOMPARE(w.minimumSize(), QSize(594, 393));
            QVERIFY(w.windowFlags() & Qt::WindowMaximizeButtonHint);
            QVERIFY(!w.findChild<QLabel*>(QStringLiteral("picTray")));
            QVERIFY(!w.findChild<QLabel*>(QStringLiteral("lblShutDown")));
            QCOMPARE(w.control<QCheckBox>("chkMonitor")->text(),
                     QStringLiteral("Monitor Downloads"));
            QCOMPARE(w.control<QLabel>("Label2")->text(), QStringLiteral("  Files In Log"));
            QCOMPARE(w.control<QLabel>("Label4")->text(), QStringLiteral(" Log Statistics"));
            QCOMPARE(w.control<QLabel>("Label3_4")->text(), QStringLiteral("Bytes Recovered"));
        }

        QCOMPARE(w.control<QLabel>("Label1")->text(), QStringLiteral("for Getright 3.x & 4.x"));
        auto* openDefault = w.control<HotCommand>("cmdOpenDefault");
        QCOMPARE(openDefault->caption(), QStringLiteral("D"));
        QVERIFY(openDefault->font().bold());
        QCOMPARE(openDefault->toolTip(), QStringLiteral("Open Default Log"));
        QCOMPARE(w.control<HotCommand>("cmdByURL")->toolTip(), QStringLiteral("Sort By URL"));
        QCOMPARE(w.control<HotCommand>("cmdCase")->toolTip(),
                 QStringLiteral("Swap case sensitive/insensitive search"));
        QCOMPARE(w.control<QLineEdit>("txtSearch")->text(),
                 QStringLiteral("Enter search string..."));

        // Colours are stored blue-first: &H0000FFFF& is yellow, &H00000080& dark red.
        QCOMPARE(w.control<QLabel>("lblLogChanged")->palette().color(QPalette::WindowText),
                 QColor(255, 255, 0));
        QCOMPARE(w.control<HotCommand>("cmdExit")->backColorHi(), QColor(0x80, 0, 0));
        QCOMPARE(w.control<HotCommand>("cmdExit")->foreColorHi(), QColor(Qt::white));
        QCOMPARE(w.control<HotCommand>("cmdNoSort")->backColor(), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(w.control<HotCommand>("cmdNoSort")->backColorDown(), QColor(0xE0, 0xE0, 0xE0));

        auto* bar = w.control<UcPBar>("PBar1");
        QCOMPARE(bar->displayStyle(), 5);
        QCOMPARE(bar->caption(), QStringLiteral("0 of 100"));
        QCOMPARE(bar->backStyle(), skin == Skin::Tavrin ? 0 : 1);
        QCOMPARE(bar->barBackColor(), QColor(0x80, 0x80, 0x80));
    }

    // Every caption fits its control in the fonts the set-up installs.
    void textsFit_data() { window_data(); }
    void textsFit()
    {
        QFETCH(Skin, skin);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);
        w.control<QLabel>("lblLogChanged")->show();

        for (const QLabel* label : w.findChildren<QLabel*>()) {
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        }
        for (const HotCommand* command : w.findChildren<HotCommand*>()) {
            const QFontMetrics metrics(command->font());
            QVERIFY2(metrics.horizontalAdvance(command->caption()) <= command->width(),
                     qPrintable(command->objectName()));
        }
        auto* fileName = w.control<QLineEdit>("txtFileName");
        QVERIFY(QFontMetrics(fileName->font()).height() <= fileName->height());
    }

    void geometry_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect"); // in window coordinates

        const Skin t = Skin::Tavrin;
        QTest::newRow("t lblMover") << t << "lblMover" << QRect(17, 10, 575, 29);
        QTest::newRow("t lblShutDown") << t << "lblShutDown" << QRect(593, 14, 20, 18);
        QTest::newRow("t Label1") << t << "Label1" << QRect(137, 20, 118, 13);
        QTest::newRow("t txtFileName") << t << "txtFileName" << QRect(47, 62, 519, 16);
        QTest::newRow("t cmdOpenDefault") << t << "cmdOpenDefault" << QRect(569, 62, 19, 16);
        QTest::newRow("t cmdGetLog") << t << "cmdGetLog" << QRect(588, 62, 19, 16);
        QTest::newRow("t cmdByName") << t << "cmdByName" << QRect(153, 119, 56, 17);
        QTest::newRow("t cmdPlay") << t << "cmdPlay" << QRect(344, 119, 56, 17);
        QTest::newRow("t tvwFiles") << t << "tvwFiles" << QRect(42, 138, 357, 274);
        QTest::newRow("t txtSearch") << t << "txtSearch" << QRect(69, 418, 245, 19);
        QTest::newRow("t cmdSearchNext") << t << "cmdSearchNext" << QRect(383, 418, 15, 19);
        QTest::newRow("t lblLogChanged") << t << "lblLogChanged" << QRect(510, 93, 107, 19);
        QTest::newRow("t lblStatTxt0") << t << "lblStatTxt0" << QRect(520, 127, 79, 12);
        QTest::newRow("t lblStatTxt6") << t << "lblStatTxt6" << QRect(520, 239, 79, 12);
        QTest::newRow("t chkMonitor") << t << "chkMonitor" << QRect(601, 268, 13, 13);
        QTest::newRow("t txtGetright") << t << "txtGetright" << QRect(410, 289, 208, 122);
        QTest::newRow("t Text1") << t << "Text1" << QRect(123, 464, 107, 19);
        QTest::newRow("t PBar1") << t << "PBar1" << QRect(426, 417, 176, 21);
        QTest::newRow("t cmdReRead") << t << "cmdReRead" << QRect(431, 417, 79, 21);
        QTest::newRow("t cmdExit") << t << "cmdExit" << QRect(519, 417, 79, 21);

        const Skin k = Skin::Koslin;
        QTest::newRow("k Frame1") << k << "Frame1" << QRect(5, 6, 584, 33);
        QTest::newRow("k txtFileName") << k << "txtFileName" << QRect(13, 20, 527, 16);
        QTest::newRow("k cmdGetLog") << k << "cmdGetLog" << QRect(565, 20, 19, 16);
        QTest::newRow("k Label2") << k << "Label2" << QRect(4, 44, 367, 15);
        QTest::newRow("k cmdByLocal") << k << "cmdByLocal" << QRect(231, 61, 56, 17);
        QTest::newRow("k cmdPlay") << k << "cmdPlay" << QRect(310, 61, 56, 17);
        QTest::newRow("k tvwFiles") << k << "tvwFiles" << QRect(7, 79, 359, 278);
        QTest::newRow("k cmdCase") << k << "cmdCase" << QRect(10, 360, 23, 19);
        QTest::newRow("k cmdSearchNext") << k << "cmdSearchNext" << QRect(349, 360, 15, 19);
        QTest::newRow("k lblLogChanged") << k << "lblLogChanged" << QRect(495, 45, 94, 16);
        QTest::newRow("k Label3_4") << k << "Label3_4" << QRect(387, 139, 90, 13);
        QTest::newRow("k lblStatTxt2") << k << "lblStatTxt2" << QRect(488, 100, 79, 12);
        QTest::newRow("k lblStatTxt5") << k << "lblStatTxt5" << QRect(488, 158, 79, 12);
        QTest::newRow("k Label5") << k << "Label5" << QRect(383, 203, 208, 16);
        QTest::newRow("k chkMonitor") << k << "chkMonitor" << QRect(387, 203, 200, 17);
        QTest::newRow("k txtGetright") << k << "txtGetright" << QRect(383, 219, 208, 141);
        QTest::newRow("k PBar1") << k << "PBar1" << QRect(392, 363, 176, 21);
        QTest::newRow("k cmdReRead") << k << "cmdReRead" << QRect(404, 364, 79, 21);
        QTest::newRow("k cmdExit") << k << "cmdExit" << QRect(505, 364, 79, 21);
    }

    void geometry()
    {
        QFETCH(Skin, skin);
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);
        QCOMPARE(inWindow(w.control<QWidget>(qPrintable(name))), rect);
    }

    // While shown, the progress bar lies over the buttons it covers.
    void progressCoversButtons_data() { window_data(); }
    void progressCoversButtons()
    {
        QFETCH(Skin, skin);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);
        auto* bar = w.control<UcPBar>("PBar1");
        bar->show();
        const QRect reRead = inWindow(w.control<HotCommand>("cmdReRead"));
        QCOMPARE(w.childAt(reRead.center()), bar);
        if (skin == Skin::Tavrin)
            QCOMPARE(w.childAt(inWindow(w.control<HotCommand>("cmdExit")).center()), bar);

        // Nothing of the covered buttons shows through, transparent bar or not.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect area = inWindow(bar);
        const QImage before = w.grab(area).toImage();
        for (const char* name : {"cmdReRead", "cmdExit"}) {
            auto* command = w.control<HotCommand>(name);
            command->setCaption(QStringLiteral("XXXXXXXX"));
            command->setBackColor(Qt::red);
        }
        QCOMPARE(w.grab(area).toImage(), before);
    }

    void loadFailures_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::addColumn<QString>("path");
        for (const Skin skin : {Skin::Tavrin, Skin::Koslin}) {
            const char* s = skin == Skin::Tavrin ? "tavrin" : "koslin";
            QTest::addRow("%s missing", s) << skin << dir_.filePath("nowhere/getright.log");
            QTest::addRow("%s directory", s) << skin << dir_.path();
            QTest::addRow("%s device", s) << skin << QStringLiteral("/dev/zero");
        }
    }

    void loadFailures()
    {
        QFETCH(Skin, skin);
        QFETCH(QString, path);
        FakeRegistry registry;
        registry.logFile = path;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);

        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();

        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.messages[0].text,
                 QStringLiteral("Error loading file. Please check the file path"));
        QCOMPARE(w.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(w.messages[0].title, QStringLiteral("Tavrin Error"));
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), path);
        QVERIFY(!w.control<HotCommand>("cmdReRead")->isEnabled());
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
        QVERIFY(!w.control<HotCommand>("cmdReRead")->isHidden());
        QVERIFY(!w.control<HotCommand>("cmdExit")->isHidden());
        QVERIFY(w.session().logLines.isEmpty());
        QVERIFY(w.session().loadedLogPath.isEmpty());
    }

    void loadMessages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("message"); // empty: no message

        QTest::newRow("three undated lines")
            << datedLines(2) + "\r\n" + datedLines(2) + "not a date\r\n\r\n" + datedLines(1) << 5
            << QStringLiteral("3 bad records were ignored");
        QTest::newRow("no bad records") << datedLines(4) << 4 << QString();
        // A load that keeps no line says so.
        QTest::newRow("empty file") << QByteArray() << 0
                                    << QStringLiteral("The log holds no dated lines.");
        QTest::newRow("only bad records") << QByteArray("a\r\nb\r\n\r\n") << 0
                                          << QStringLiteral("3 bad records were ignored");
    }

    void loadMessages()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, lines);
        QFETCH(QString, message);
        const QString previous = writeLog(QStringLiteral("previous.log"), datedLines(3));
        const QString path = writeLog(QStringLiteral("load.log"), content);

        FakeRegistry registry;
        registry.logFile = previous;
        SamePath resolver;
        TestWindow w(Skin::Tavrin, registry, resolver);
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        QVERIFY(w.messages.isEmpty());
        QCOMPARE(w.session().loadedLogPath, previous);

        w.chosenFile = path;
        Q_EMIT w.control<HotCommand>("cmdGetLog")->click();

        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), path);
        QCOMPARE(w.session().logLines.count(), lines);
        // The loaded log's path and stamp are both the file just read, so the
        // monitor compares that file with itself.
        QCOMPARE(w.session().loadedLogPath, path);
        QCOMPARE(w.session().loadedLogStamp, fileStamp(path));
        if (message.isEmpty()) {
            QVERIFY(w.messages.isEmpty());
        } else {
            QCOMPARE(w.messages.size(), 1);
            QCOMPARE(w.messages[0].text, message);
            QCOMPARE(w.messages[0].icon, QMessageBox::Information);
            QCOMPARE(w.messages[0].title, QStringLiteral("Tavrin"));
            QVERIFY(!w.messages[0].progressHidden);
            QCOMPARE(w.messages[0].progressCaption, QStringLiteral("Reading"));
        }
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
        // Reading clears its caption; a log with lines goes on to fill the tree.
        QCOMPARE(w.control<UcPBar>("PBar1")->caption(),
                 lines > 0 ? QStringLiteral("Populating") : QString());
    }

    // The stored path is used as it stands: not trimmed, resolved only for reading.
    void storedPathAsIs()
    {
        const QString path = writeLog(QStringLiteral(" spaced.log "), datedLines(2));
        FakeRegistry registry;
        registry.logFile = path;
        SamePath resolver;
        TestWindow w(Skin::Tavrin, registry, resolver);
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        QVERIFY(w.messages.isEmpty());
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), path);
        QCOMPARE(w.session().loadedLogPath, path);
        QCOMPARE(w.session().logLines.count(), 2);
    }

    // With the real platform layers: GetRight's setting in a Wine prefix names a
    // Windows path, shown as stored and read through the prefix's drive.
    void throughWinePrefix()
    {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("drive_c/Program Files/GetRight")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("dosdevices")));
        QVERIFY(QFile::link(QStringLiteral("../drive_c"),
                            prefix.filePath(QStringLiteral("dosdevices/c:"))));
        QFile log(prefix.filePath(QStringLiteral("drive_c/Program Files/GetRight/GETRIGHT.LOG")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(datedLines(2) + "\r\n" + datedLines(2) + "header\r\n\r\n");
        log.close();
        QFile reg(prefix.filePath(QStringLiteral("user.reg")));
        QVERIFY(reg.open(QIODevice::WriteOnly));
        reg.write(R"(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Headlight\\GetRight\\Config] 1765363200
"LogFile"="C:\\Program Files\\GetRight\\getright.log"
)");
        reg.close();

        const WineRegistryReader registry(prefix.path());
        const WinePathResolver resolver(prefix.path());
        TestWindow w(Skin::Tavrin, registry, resolver);
        const QString stored = QStringLiteral("C:\\Program Files\\GetRight\\getright.log");
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), stored);
        QVERIFY(w.control<HotCommand>("cmdOpenDefault")->isEnabled());

        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();

        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.messages[0].text, QStringLiteral("3 bad records were ignored"));
        QCOMPARE(w.session().logLines.count(), 4);
        QCOMPARE(w.session().loadedLogPath, stored);
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), stored);
    }

    // A log opened from the command line or dropped on the window loads as one
    // chosen in the dialog; the dialog starts in the loaded log's folder, or
    // in that of GetRight's configured log.
    void opensLogsTheUsualWays()
    {
        const QString configured = writeLog(QStringLiteral("configured.log"), datedLines(2));
        QTemporaryDir other;
        const QString dropped = other.filePath(QStringLiteral("dropped.log"));
        {
            QFile file(dropped);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(datedLines(5));
        }
        FakeRegistry registry;
        registry.logFile = configured;
        SamePath resolver;
        TestWindow w(Skin::Koslin, registry, resolver);
        QCOMPARE(w.dialogFolder(), QFileInfo(configured).absolutePath());

        w.openLogFile(dropped);
        QCOMPARE(w.session().logLines.count(), 5);
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), QDir::toNativeSeparators(dropped));
        QCOMPARE(w.dialogFolder(), other.path());
        QCOMPARE(w.dialogs, 0);

        // A drop: one local file is taken, anything else is not.
        w.show();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(configured)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &drop);
        QVERIFY(QTest::qWaitFor([&] { return w.session().logLines.count() == 2; }, 5000));
        QCOMPARE(w.session().loadedLogPath, QDir::toNativeSeparators(configured));

        QMimeData two;
        two.setUrls({QUrl::fromLocalFile(configured), QUrl::fromLocalFile(dropped)});
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton,
                                Qt::NoModifier);
        refused.setAccepted(false);
        QCoreApplication::sendEvent(&w, &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("http://h/getright.log"))});
        QDragEnterEvent remote(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        remote.setAccepted(false);
        QCoreApplication::sendEvent(&w, &remote);
        QVERIFY(!remote.isAccepted());
    }

    void cancelledDialogKeepsEverything()
    {
        const QString path = writeLog(QStringLiteral("kept.log"), datedLines(3));
        FakeRegistry registry;
        registry.logFile = path;
        SamePath resolver;
        TestWindow w(Skin::Tavrin, registry, resolver);
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        const LogEntries* records = w.session().logEntries.get();

        w.chosenFile.reset();
        Q_EMIT w.control<HotCommand>("cmdGetLog")->click();

        QCOMPARE(w.dialogs, 1);
        QVERIFY(w.messages.isEmpty());
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), path);
        QCOMPARE(w.session().logLines.count(), 3);
        QCOMPARE(w.session().loadedLogPath, path);
        QCOMPARE(w.session().logEntries.get(), records); // no reset ran
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
    }

    void reReadWithoutLogDoesNothing_data() { window_data(); }
    void reReadWithoutLogDoesNothing()
    {
        QFETCH(Skin, skin);
        FakeRegistry registry;
        registry.logFile = QStringLiteral("   ");
        SamePath resolver;
        TestWindow w(skin, registry, resolver);
        const LogEntries* records = w.session().logEntries.get();

        w.cmdReRead_Click();
        w.cmdOpenDefault_Click();

        QVERIFY(w.messages.isEmpty());
        QCOMPARE(w.control<QLineEdit>("txtFileName")->text(), QStringLiteral("No log loaded..."));
        QCOMPARE(w.session().logEntries.get(), records);
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
        QVERIFY(!w.control<HotCommand>("cmdReRead")->isHidden());
        QVERIFY(!w.control<HotCommand>("cmdExit")->isHidden());
    }

    // Only the plain build's Re-read hides its two buttons while it reads; the
    // end of the load shows them again.
    void reReadHidesButtonsInKoslin_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::addColumn<bool>("viaGetLog");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("koslin re-read") << Skin::Koslin << false << true;
        QTest::newRow("koslin get log") << Skin::Koslin << true << false;
        QTest::newRow("tavrin re-read") << Skin::Tavrin << false << false;
    }

    void reReadHidesButtonsInKoslin()
    {
        QFETCH(Skin, skin);
        QFETCH(bool, viaGetLog);
        QFETCH(bool, hidden);
        // A log with a bad record, so the window is seen while the load is under way.
        const QString path = writeLog(QStringLiteral("bad.log"), datedLines(2) + "oops\r\n");
        FakeRegistry registry;
        registry.logFile = path;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);

        if (viaGetLog) {
            w.chosenFile = path;
            Q_EMIT w.control<HotCommand>("cmdGetLog")->click();
        } else {
            Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        }

        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.messages[0].reReadHidden, hidden);
        QCOMPARE(w.messages[0].exitHidden, hidden);
        QVERIFY(!w.messages[0].progressHidden);
        QVERIFY(!w.control<HotCommand>("cmdReRead")->isHidden());
        QVERIFY(!w.control<HotCommand>("cmdExit")->isHidden());
        QVERIFY(w.control<UcPBar>("PBar1")->isHidden());
    }

    void monitorSwitch()
    {
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(Skin::Tavrin, registry, resolver);
        auto* monitor = w.control<QCheckBox>("chkMonitor");
        auto* timer = w.control<QTimer>("Timer1");
        auto* box = w.control<QPlainTextEdit>("txtGetright");

        monitor->setChecked(true);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);

        monitor->setChecked(false);
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 0);
        QCOMPARE(box->toPlainText(), QStringLiteral("Not monitoring..."));
    }

    void anyButtonMovesWindow_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void anyButtonMovesWindow()
    {
        QFETCH(Qt::MouseButton, button);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(Skin::Tavrin, registry, resolver);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Pressed as the user does, through the window, so the press is routed
        // to whatever lies under the pointer.
        const QPoint handle = inWindow(w.control<QLabel>("lblMover")).topLeft() + QPoint(5, 5);
        QTest::mouseClick(w.windowHandle(), button, {}, handle);
        QCOMPARE(w.moves, 1);
        // The subtitle lies over the handle and lets presses through to it.
        QTest::mouseClick(w.windowHandle(), button, {},
                          inWindow(w.control<QLabel>("Label1")).center());
        QCOMPARE(w.moves, 2);
        // The rest of the painted title strip does not move the window.
        QTest::mouseClick(w.windowHandle(), button, {}, QPoint(5, 25));
        QCOMPARE(w.moves, 2);
    }

    void closing_data()
    {
        QTest::addColumn<Skin>("skin");
        QTest::addColumn<QString>("by");
        QTest::newRow("tavrin exit") << Skin::Tavrin << "cmdExit";
        QTest::newRow("tavrin close mark") << Skin::Tavrin << "lblShutDown";
        QTest::newRow("tavrin system close") << Skin::Tavrin << "";
        QTest::newRow("koslin exit") << Skin::Koslin << "cmdExit";
        QTest::newRow("koslin system close") << Skin::Koslin << "";
    }

    void closing()
    {
        QFETCH(Skin, skin);
        QFETCH(QString, by);
        FakeRegistry registry;
        SamePath resolver;
        TestWindow w(skin, registry, resolver);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.control<QCheckBox>("chkMonitor")->setChecked(true);

        if (by == QLatin1String("cmdExit"))
            Q_EMIT w.control<HotCommand>("cmdExit")->click();
        else if (by == QLatin1String("lblShutDown"))
            QTest::mouseClick(w.control<QLabel>("lblShutDown"), Qt::LeftButton);
        else
            QVERIFY(w.close());

        QVERIFY(!w.isVisible());
        // The monitor's tick ends with the window.
        QVERIFY(!w.control<QTimer>("Timer1")->isActive());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
