// The window against hostile input: logs that are no logs, a log that changes or
// vanishes under the loader and the monitor, a GetRight that answers with
// garbage, and a node whose URL is no web link. Each case ends in a message or
// the quiet outcome the window documents, the window stays usable, and what
// stays on screen after a failed load (the file row, the log dates) stays.
#include "controls/fitting_label.h"
#include "platform/desktop_opener.h"
#include "platform/local_socket_data_exchange.h"
#include "tree/tree_model.h"
#include "monitor/download_monitor.h"
#include "window/tree_icon_delegate.h"
#include "window/window_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kLog = "03/15/01 09:00:00 - File: C:\\dl\\a.zip=http://h/a.zip\r\n"
                        "03/15/01 09:01:00 - Finished downloading C:\\dl\\a.zip\r\n"
                        "03/16/01 10:00:00 - File: C:\\dl\\b.zip=javascript:alert(1)//b.zip\r\n"
                        "03/17/01 11:00:00 - File: C:\\dl\\c.zip=http://h/c.zip\r\n";
const QStringList kStats = {"3", "0", "0", "1", " Kb", "3/15/01", "3/17/01"};

template <qsizetype N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// Stands in for GetRight: item 1 is a download, item 2 gets `hostile`, and with
// no hostile behaviour item 2 is the empty reply after the last download.
class HostileGetRight : public QObject {
    Q_OBJECT
public:
    std::function<void(QLocalSocket*)> hostile;
    QList<QByteArray> requests;

    bool listen()
    {
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const QByteArray item = socket->readLine().trimmed();
                    requests << item;
                    if (item == "1")
                        socket->write("a.zip|2048|12% at 3 KB/s|http://h/a.zip\n");
                    else if (item == "2" && hostile)
                        hostile(socket);
                    else
                        socket->write("\n");
                });
            }
        });
        return server_.listen(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo"));
    }

private:
    QLocalServer server_;
};

} // namespace

// A failure inside a helper ends the test function too.
#define VERIFY_USABLE(log)                                                                         \
    do {                                                                                           \
        verifyUsable(log);                                                                         \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

using Hostile = std::function<void(QLocalSocket*)>;
Q_DECLARE_METATYPE(Hostile)

class TestHostileWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QTemporaryDir runtimeDir_;

    struct Loaded {
        FakeRegistry registry;
        SamePath resolver;
        RecordingOpener opener;
        std::unique_ptr<TestWindow> window;

        explicit Loaded(const QString& log)
        {
            registry.logFile = log;
            window = std::make_unique<TestWindow>(Skin::Tavrin, registry, resolver);
            window->setDesktopOpener(&opener);
            Q_EMIT window->control<HotCommand>("cmdOpenDefault")->click();
        }
        TestWindow& w() { return *window; }
        TreeModel* model() { return w().control<TreeModel>("treeModel"); }
        QTreeView* tree() { return w().control<QTreeView>("tvwFiles"); }
        DownloadMonitor* monitor() { return w().findChild<DownloadMonitor*>("monitor"); }
        QString getright() { return w().control<QPlainTextEdit>("txtGetright")->toPlainText(); }
        bool logChanged() { return !w().control<QLabel>("lblLogChanged")->isHidden(); }
        void click(const char* command) { Q_EMIT w().control<HotCommand>(command)->click(); }
        int records() { return w().session().logEntries->count(); }
        QStringList stats()
        {
            QStringList texts;
            for (int i = 0; i < 7; ++i)
                texts << w().findChild<QLabel*>(QStringLiteral("lblStatTxt%1").arg(i))->text();
            return texts;
        }
        void selectKey(const QString& key)
        {
            tree()->setCurrentIndex(model()->indexOfPosition(model()->findKey(key)));
        }
        // The monitor on, polling on demand rather than once a second.
        void monitorOn(int timeoutMs = 5000)
        {
            w().control<QCheckBox>("chkMonitor")->setChecked(true);
            monitor()->setPollInterval(3600 * 1000);
            monitor()->setRequestTimeout(timeoutMs);
        }
        // One poll, run to its end.
        bool poll()
        {
            QSignalSpy finished(monitor(), &DownloadMonitor::pollFinished);
            w().timer1_Timer();
            return finished.wait(20000);
        }
    };

    QString writeLog(const QString& name, const QByteArray& content)
    {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // The analysed log of kLog, fully usable.
    static void verifyUsable(Loaded& log)
    {
        QCOMPARE(log.records(), 3);
        QCOMPARE(log.stats(), kStats);
        QVERIFY(log.model()->nodeCount() > 3);
        QVERIFY(!log.tree()->isHidden());
        QVERIFY(log.w().control<UcPBar>("PBar1")->isHidden());
        for (const char* name : {"cmdPlay", "cmdReRead", "cmdSearch", "cmdGetLog", "cmdByDate"})
            QVERIFY2(log.w().control<HotCommand>(name)->isEnabled(), name);
        QVERIFY(log.w().control<QCheckBox>("chkMonitor")->isEnabled());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid() && runtimeDir_.isValid());
        // No GetRight of this machine answers these tests, and theirs reach no other.
        qputenv("XDG_RUNTIME_DIR", runtimeDir_.path().toLocal8Bit());
    }

    // A command that waited while a log was read does not run inside that
    // load: no second load, fill, search or Execute starts at its yield, and
    // the load ends without a false message.
    void noCommandInsideALoad_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : {"cmdOpenDefault", "cmdGetLog", "cmdReRead", "cmdByDate",
                                    "cmdSearch", "cmdPlay"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    void noCommandInsideALoad()
    {
        QFETCH(QString, command);
        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        VERIFY_USABLE(log);
        log.w().messages.clear();
        log.w().chosenFile = dir_.filePath(QStringLiteral("good.log"));
        const int dialogs = log.w().dialogs;
        const QByteArray name = command.toLatin1();
        // Queued, it is handled at the load's first yield.
        QMetaObject::invokeMethod(
            &log.w(), [&] { Q_EMIT log.w().control<HotCommand>(name.constData())->click(); },
            Qt::QueuedConnection);
        log.click("cmdReRead");
        QVERIFY2(log.w().messages.isEmpty(), log.w().messages.isEmpty()
                                                 ? ""
                                                 : qPrintable(log.w().messages[0].text));
        QCOMPARE(log.records(), 3);
        QCOMPARE(log.w().dialogs, dialogs);
        QCOMPARE(log.w().sortOrder(), SortOrder::SortNone);
        QVERIFY(log.opener.opened.isEmpty());
        QCoreApplication::processEvents(); // nothing waits to run later either
        QCOMPARE(log.records(), 3);
        VERIFY_USABLE(log);
    }

    // A close that arrives while a large log is read: no message follows it,
    // the load stops, and nothing of the closed window runs on.
    void closeDuringARead()
    {
        QByteArray big = "not a date\r\n";
        while (big.size() < (48 << 20))
            big += kLog;
        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        VERIFY_USABLE(log);
        log.w().messages.clear();
        log.w().chosenFile = writeLog(QStringLiteral("big.log"), big);
        log.w().show();
        QTimer::singleShot(0, &log.w(), [&] { log.w().close(); });
        log.click("cmdGetLog");
        QVERIFY(log.w().isHidden());
        QVERIFY2(log.w().messages.isEmpty(), log.w().messages.isEmpty()
                                                 ? ""
                                                 : qPrintable(log.w().messages[0].text));
        QCOMPARE(log.records(), 0); // never analysed
    }

    // Counters run to 64 bits: a large "Bytes Recovered" is shown whole in
    // both skins, using the room beside the label; a long node text that the
    // tree cuts tells its whole text as a tooltip.
    void longTextsReadable_data()
    {
        QTest::addColumn<int>("skin");
        QTest::newRow("tavrin") << int(Skin::Tavrin);
        QTest::newRow("koslin") << int(Skin::Koslin);
    }

    void longTextsReadable()
    {
        QFETCH(int, skin);
        const QByteArray log = "03/15/01 09:00:00 - File: C:\\dl\\" + QByteArray(300, 'n') +
                               ".zip.GETRIGHT=http://h/" + QByteArray(300, 'u') + ".zip\r\n"
                               "03/15/01 09:01:00 - Resumed: C:\\dl\\" + QByteArray(300, 'n') +
                               ".zip at: 2214909461504\r\n";
        FakeRegistry registry;
        registry.logFile = writeLog(QStringLiteral("large.log"), log);
        SamePath resolver;
        TestWindow w(Skin(skin), registry, resolver);
        w.show();
        Q_EMIT w.control<HotCommand>("cmdOpenDefault")->click();
        auto* bytes = w.control<FittingLabel>("lblStatTxt4");
        QCOMPARE(bytes->text(), QStringLiteral("2,162,997,521 Kb"));
        QVERIFY2(!bytes->isCut(), qPrintable(QStringLiteral("%1 px for %2 px of text")
                                                 .arg(bytes->width())
                                                 .arg(bytes->fontMetrics().horizontalAdvance(
                                                     bytes->text()))));
        // Still inside its panel.
        QVERIFY(bytes->geometry().right() < (skin == int(Skin::Tavrin) ? 617 : 208));

        auto* tree = w.control<QTreeView>("tvwFiles");
        auto* delegate = qobject_cast<TreeIconDelegate*>(tree->itemDelegate());
        QVERIFY(delegate);
        const QModelIndex first = tree->model()->index(0, 0);
        QStyleOptionViewItem option;
        option.initFrom(tree->viewport());
        option.rect = tree->visualRect(first);
        option.font = tree->font();
        option.fontMetrics = QFontMetrics(tree->font());
        QVERIFY(delegate->isTextCut(tree, option, first));
    }

    void hostileLogs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<int>("records");

        const QString fileError = QStringLiteral("Error loading file. Please check the file path");
        QTest::newRow("directory") << "directory" << QByteArray() << fileError << 0;
        QTest::newRow("FIFO") << "fifo" << QByteArray() << fileError << 0;
        QTest::newRow("/dev/zero") << "/dev/zero" << QByteArray() << fileError << 0;
        QTest::newRow("missing") << "missing" << QByteArray() << fileError << 0;
        QTest::newRow("no read permission") << "unreadable" << kLog << fileError << 0;
        QByteArray binary;
        for (int i = 0; i < 65536; ++i)
            binary += char(i * 7919 % 251 == '\n' ? 0 : i * 7919 % 251);
        // Every line of it is a bad record, and the log keeps none: said so.
        QTest::newRow("binary") << "file" << binary << "262 bad records were ignored" << 0;
        QTest::newRow("NULs in lines")
            << "file" << raw("03/15/01 09:00:00 - File: C:\\a\0.zip=http://h/a\0.zip\r\n\0\0\r\n")
            << "1 bad records were ignored" << 1;
        QTest::newRow("lines of 1 MB")
            << "file"
            << "03/15/01 09:00:00 - File: C:\\" + QByteArray(1 << 20, 'p') + "=http://h/" +
                   QByteArray(1 << 20, 'u') + "\r\n" + QByteArray(1 << 20, 'x') + "\r\n"
            << "1 bad records were ignored" << 1;
        QTest::newRow("only dates") << "file" << QByteArray("03/15/01\r\n03/16/01\n03/17/01")
                                    << "3 lines could not be analysed" << 0;
        QTest::newRow("mixed line ends")
            << "file"
            << QByteArray("03/15/01 09:00:00 - File: C:\\a=http://h/a\r03/15/01 09:00:00 - "
                          "File: C:\\b=http://h/b\n\r\n")
            << "1 bad records were ignored" << 2;
        QTest::newRow("invalid UTF-8")
            << "file" << QByteArray("03/15/01 09:00:00 - File: C:\\\xff\xfe=http://h/\xc0\xaf\r\n")
            << QString() << 1;
    }

    void hostileLogs()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(int, records);
        if (kind == QLatin1String("unreadable") && geteuid() == 0)
            QSKIP("root reads any file: a missing read permission cannot be shown as root");

        QString path = dir_.filePath(QStringLiteral("hostile.log"));
        QFile::remove(path);
        if (kind == QLatin1String("directory"))
            path = dir_.path();
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("/dev/zero"))
            path = kind;
        else if (kind == QLatin1String("file") || kind == QLatin1String("unreadable"))
            writeLog(QStringLiteral("hostile.log"), content);
        if (kind == QLatin1String("unreadable"))
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));

        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        VERIFY_USABLE(log);
        log.w().messages.clear();

        log.w().chosenFile = path;
        log.click("cmdGetLog");

        QCOMPARE(log.w().messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(log.w().messages[0].text, message);
        QCOMPARE(log.records(), records);
        QCOMPARE(log.w().control<QLineEdit>("txtFileName")->text(), path);
        QVERIFY(log.w().control<UcPBar>("PBar1")->isHidden());
        QVERIFY(!log.tree()->isHidden());
        // A load that keeps no line leaves no log loaded: its dates go too, and
        // the message names the file and what is wrong with it.
        const QStringList stats = log.stats();
        if (log.w().session().logLines.isEmpty()) {
            QCOMPARE(stats.mid(5), (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
            QVERIFY(log.w().messages[0].detail.startsWith(path));
        }
        QVERIFY(log.w().control<HotCommand>("cmdGetLog")->isEnabled());
        QVERIFY(log.w().control<QCheckBox>("chkMonitor")->isEnabled());

        // Usable: the good log loads again as before.
        log.w().chosenFile = dir_.filePath(QStringLiteral("good.log"));
        log.click("cmdGetLog");
        VERIFY_USABLE(log);
        QFile::remove(dir_.filePath(QStringLiteral("hostile.log")));
    }

    // The loaded log, between the load and the next poll: the indicator shows
    // what the poll can tell, the tree and the statistics stay, Re-read works.
    void logChangesBeforeThePoll_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("indicator");
        QTest::addColumn<int>("recordsAfterReRead"); // -1: the load fails
        QTest::newRow("truncated") << "truncated" << true << 1;
        QTest::newRow("grown") << "grown" << true << 4;
        QTest::newRow("emptied") << "emptied" << true << 0;
        QTest::newRow("deleted") << "deleted" << false << -1;
        QTest::newRow("replaced by a directory") << "directory" << true << -1;
        QTest::newRow("replaced by a FIFO") << "fifo" << true << -1;
    }

    void logChangesBeforeThePoll()
    {
        QFETCH(QString, change);
        QFETCH(bool, indicator);
        QFETCH(int, recordsAfterReRead);
        const QString path = writeLog(QStringLiteral("watched.log"), kLog);
        setModified(path, QDateTime::currentDateTime().addSecs(-60));
        Loaded log(path);
        VERIFY_USABLE(log);
        log.monitorOn();
        QVERIFY(log.poll());
        QVERIFY(!log.logChanged());
        QCOMPARE(log.getright(), QStringLiteral("No downloads..."));

        if (change == QLatin1String("truncated"))
            writeLog(QStringLiteral("watched.log"), kLog.left(kLog.indexOf("\r\n") + 2));
        else if (change == QLatin1String("grown"))
            writeLog(QStringLiteral("watched.log"),
                     kLog + "03/18/01 12:00:00 - File: C:\\dl\\d.zip=http://h/d.zip\r\n");
        else if (change == QLatin1String("emptied"))
            writeLog(QStringLiteral("watched.log"), QByteArray());
        else
            QVERIFY(QFile::remove(path));
        if (change == QLatin1String("directory"))
            QVERIFY(QDir().mkdir(path));
        else if (change == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

        QVERIFY(log.poll());
        QCOMPARE(log.logChanged(), indicator);
        QCOMPARE(log.getright(), QStringLiteral("No downloads..."));
        // What was loaded is still shown.
        QCOMPARE(log.records(), 3);
        QCOMPARE(log.stats(), kStats);
        QVERIFY(log.model()->nodeCount() > 3);

        log.w().messages.clear();
        log.click("cmdReRead");
        if (recordsAfterReRead < 0) {
            QCOMPARE(log.w().messages.size(), 1);
            QCOMPARE(log.w().messages[0].text,
                     QStringLiteral("Error loading file. Please check the file path"));
            QCOMPARE(log.records(), 0);
        } else {
            QCOMPARE(log.records(), recordsAfterReRead);
        }
        QVERIFY(!log.logChanged());
        QVERIFY(log.w().control<QCheckBox>("chkMonitor")->isChecked());

        // Put right again, the log loads as it did.
        QDir().rmdir(path);
        QFile::remove(path);
        writeLog(QStringLiteral("watched.log"), kLog);
        log.w().chosenFile = path;
        log.click("cmdGetLog");
        VERIFY_USABLE(log);
    }

    // The log changes while it is being loaded: Re-read lets waiting events run
    // between reading and analysing, and that is when the file changes here.
    void logChangesDuringTheLoad_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("indicator");
        QTest::newRow("truncated") << "truncated" << true;
        QTest::newRow("grown") << "grown" << true;
        QTest::newRow("deleted") << "deleted" << false;
    }

    void logChangesDuringTheLoad()
    {
        QFETCH(QString, change);
        QFETCH(bool, indicator);
        const QString path = writeLog(QStringLiteral("moving.log"), kLog);
        setModified(path, QDateTime::currentDateTime().addSecs(-60));
        Loaded log(path);
        VERIFY_USABLE(log);
        log.monitorOn();

        QTimer::singleShot(0, this, [&] {
            if (change == QLatin1String("deleted")) {
                QFile::remove(path);
                return;
            }
            writeLog(QStringLiteral("moving.log"),
                     change == QLatin1String("grown") ? kLog + kLog : kLog.left(10));
            setModified(path, QDateTime::currentDateTime());
        });
        log.click("cmdReRead");
        // What was read is analysed and shown in full.
        VERIFY_USABLE(log);
        QVERIFY(log.w().messages.isEmpty());
        QVERIFY(!log.logChanged());

        QVERIFY(log.poll());
        QCOMPARE(log.logChanged(), indicator);
        VERIFY_USABLE(log);
    }

    // A GetRight whose second download is answered with garbage: the first is
    // shown, the poll ends there, and the window goes on working.
    void hostileGetRight_data()
    {
        QTest::addColumn<Hostile>("hostile");
        QTest::addColumn<int>("timeoutMs");
        auto send = [](QByteArray bytes, bool close = false) -> Hostile {
            return [bytes, close](QLocalSocket* socket) {
                socket->write(bytes);
                if (close)
                    socket->disconnectFromServer();
            };
        };
        QTest::newRow("10 MB") << send(QByteArray(10 << 20, 'x') + '\n') << 5000;
        QTest::newRow("never ends") << Hostile([](QLocalSocket* socket) {
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            timer->start(20);
        }) << 300;
        QTest::newRow("only NULs") << send(QByteArray(64, '\0') + '\n') << 5000;
        QTest::newRow("NULs among fields")
            << send(raw("b\0.zip|\0|\0|\0\n")) << 5000; // "b.zip|||": no byte count
        QTest::newRow("closed mid-reply") << send("b.zip|4096|5% at", true) << 5000;
        QTest::newRow("closed without reply") << send(QByteArray(), true) << 5000;
    }

    void hostileGetRight()
    {
        QFETCH(Hostile, hostile);
        QFETCH(int, timeoutMs);
        HostileGetRight getRight;
        getRight.hostile = hostile;
        QVERIFY(getRight.listen());

        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        log.monitorOn(timeoutMs);
        QVERIFY(log.poll());
        QCOMPARE(log.getright(), QStringLiteral("a.zip: 12% at 3 KB/s\n"));
        QCOMPARE(getRight.requests, (QList<QByteArray>{"1", "2"}));
        VERIFY_USABLE(log);

        // The next poll asks again from the first download.
        getRight.hostile = nullptr;
        QVERIFY(log.poll());
        QCOMPARE(getRight.requests, (QList<QByteArray>{"1", "2", "1", "2"}));
        QCOMPARE(log.getright(), QStringLiteral("a.zip: 12% at 3 KB/s\n"));
        log.click("cmdReRead");
        VERIFY_USABLE(log);
    }

    // A GetRight that lists download after download, each with a long reply:
    // the list stops growing at its cap and the poll ends there.
    void endlessListIsCapped()
    {
        QLocalServer server;
        int requests = 0;
        connect(&server, &QLocalServer::newConnection, this, [&] {
            while (QLocalSocket* socket = server.nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [&, socket] {
                    if (!socket->canReadLine())
                        return;
                    ++requests;
                    socket->write("t" + socket->readLine().trimmed() + "|1|" +
                                  QByteArray(100 * 1024, 'd') + "|\n");
                });
            }
        });
        QVERIFY(server.listen(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo")));

        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        log.monitorOn();
        QVERIFY(log.poll());
        const QString shown = log.getright();
        QVERIFY(shown.size() <= DownloadMonitor::MaxListChars);
        QVERIFY(shown.startsWith(QStringLiteral("t1: ddd")));
        const int lines = int(shown.count(u'\n'));
        QCOMPARE(lines, int(DownloadMonitor::MaxListChars / (100 * 1024 + 6)));
        QCOMPARE(requests, lines + 1);
        VERIFY_USABLE(log);
    }

    // A message box quotes what it is given as plain text, markup and all.
    void messagesArePlainText()
    {
        struct PlainWindow : MainWindow {
            using MainWindow::MainWindow;
            void say(const QString& text)
            {
                MainWindow::showMessage(text, QMessageBox::Warning, QStringLiteral("Tavrin"));
            }
        };
        FakeRegistry registry;
        SamePath resolver;
        PlainWindow w(Skin::Tavrin, registry, resolver);
        const QString text = QStringLiteral("<b>bold</b> <img src=\"x\">\n<a href=\"x\">x</a>");
        Qt::TextFormat format = Qt::RichText;
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            shown = box->text();
            box->accept();
        });
        w.say(text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }

    // Execute on a URL that is no web link: refused with a message, nothing
    // handed to the desktop, the tree and its selection as they were.
    void executeRefusesForeignSchemes()
    {
        Loaded log(writeLog(QStringLiteral("good.log"), kLog));
        log.w().messages.clear();
        log.selectKey(QStringLiteral("URL Entry: 2"));
        const QModelIndex selected = log.tree()->currentIndex();
        log.click("cmdPlay");
        QVERIFY(log.opener.opened.isEmpty());
        QCOMPARE(log.w().messages.size(), 1);
        QCOMPARE(log.w().messages[0].icon, QMessageBox::Warning);
        QVERIFY(log.w().messages[0].text.endsWith(QStringLiteral("javascript:alert(1)//b.zip")));
        QCOMPARE(log.tree()->currentIndex(), selected);
        VERIFY_USABLE(log);

        log.selectKey(QStringLiteral("URL Entry: 1"));
        log.click("cmdPlay");
        QCOMPARE(log.opener.opened, QList<QUrl>{QUrl(QStringLiteral("http://h/a.zip"))});
    }
};

QTEST_MAIN(TestHostileWindow)
#include "tst_hostile_window.moc"
