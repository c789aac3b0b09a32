// getright-sim: stands in for a running GetRight. It serves the DownloadInfo
// topic with downloads whose byte counts grow, on the local socket or through
// the DDE stand-in under Wine, can append GetRight-style lines to a log file,
// and can name that log in a Wine prefix's registry.

#include "platform/wine_prefix.h"
#include "sim_dde.h"
#include "sim_downloads.h"
#include "sim_log.h"
#include "sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <memory>
#include <cstdio>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// Ctrl+C and kill end the event loop, so the server removes its socket file.
void quitOnSignals(QCoreApplication& app)
{
    if (::pipe(signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
}

int fail(const QString& message)
{
    std::fprintf(stderr, "getright-sim: %s\n", qPrintable(message));
    return 1;
}

bool readInt(const QCommandLineParser& parser, const QString& name, int low, int high, int* out)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < low || value > high)
        return false;
    *out = value;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("getright-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stands in for a running GetRight: serves GetRight|DownloadInfo to Tavrin's\n"
        "download monitor, and optionally writes to a GetRight log and names it\n"
        "in a Wine prefix.\n\n"
        "Example: getright-sim --prefix /tmp/gr  then  WINEPREFIX=/tmp/gr tavrin"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption downloads({QStringLiteral("n"), QStringLiteral("downloads")},
                                       QStringLiteral("Downloads in progress (0 to %1, default 3).")
                                           .arg(SimDownloads::catalogueSize()),
                                       QStringLiteral("count"), QStringLiteral("3"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Multiplies every transfer rate (default 1)."),
                                   QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Append GetRight log lines to this file (with --prefix, default "
                       "<prefix>/drive_c/Program Files/GetRight/getright.log)."),
        QStringLiteral("file"));
    const QCommandLineOption logEvery(QStringLiteral("log-every"),
                                      QStringLiteral("Seconds between log lines (default 4)."),
                                      QStringLiteral("seconds"), QStringLiteral("4"));
    const QCommandLineOption prefix(
        QStringLiteral("prefix"),
        QStringLiteral("Write <dir>/user.reg naming the log as GetRight's, as under Wine."),
        QStringLiteral("dir"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace an existing user.reg in the prefix."));
    const QCommandLineOption malformed(
        QStringLiteral("malformed"),
        QStringLiteral("Reply to this item with only two bars, which the client must refuse."),
        QStringLiteral("item"), QStringLiteral("0"));
    const QCommandLineOption slow(
        QStringLiteral("slow"),
        QStringLiteral("Hold every reply back this long (over 5000 exceeds the time-out)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption missing(QStringLiteral("missing"),
                                     QStringLiteral("Close every conversation without a reply."));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Stop after this many seconds."),
                                       QStringLiteral("seconds"), QStringLiteral("0"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print every request and reply."));
    const QCommandLineOption dde(
        QStringLiteral("dde"),
        QStringLiteral("Serve over Windows DDE under Wine, through getright-dde-sim.exe beside "
                       "this program, instead of the local socket. Needs a display."));
    parser.addOptions({downloads, speed, log, logEvery, prefix, force, malformed, slow, missing,
                       quitAfter, verbose, dde});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[0]));

    int count = 0, every = 0, malformedItem = 0, slowMs = 0, quitSeconds = 0;
    if (!readInt(parser, downloads.names().last(), 0, SimDownloads::catalogueSize(), &count))
        return fail(QStringLiteral("--downloads takes 0 to %1").arg(SimDownloads::catalogueSize()));
    if (!readInt(parser, logEvery.names().first(), 1, 3600, &every))
        return fail(QStringLiteral("--log-every takes 1 to 3600 seconds"));
    if (!readInt(parser, malformed.names().first(), 0, 32767, &malformedItem))
        return fail(QStringLiteral("--malformed takes an item number"));
    if (!readInt(parser, slow.names().first(), 0, 3600000, &slowMs))
        return fail(QStringLiteral("--slow takes 0 to 3600000 ms"));
    if (!readInt(parser, quitAfter.names().first(), 0, 86400 * 365, &quitSeconds))
        return fail(QStringLiteral("--quit-after takes a number of seconds"));
    bool speedOk = false;
    const double speedFactor = parser.value(speed).toDouble(&speedOk);
    if (!speedOk || speedFactor <= 0 || speedFactor > 1000)
        return fail(QStringLiteral("--speed takes a factor above 0 and up to 1000"));

    QString logPath = parser.value(log);
    const QString prefixDir = parser.value(prefix);
    if (logPath.isEmpty() && !prefixDir.isEmpty())
        logPath =
            QDir(prefixDir).filePath(QStringLiteral("drive_c/Program Files/GetRight/getright.log"));
    if (!logPath.isEmpty()) {
        logPath = QFileInfo(logPath).absoluteFilePath();
        if (!QDir().mkpath(QFileInfo(logPath).absolutePath()))
            return fail(QStringLiteral("cannot make the folder of %1").arg(logPath));
    }

    QString error;
    if (!prefixDir.isEmpty() && winePrefixReady(prefixDir)) {
        // A prefix of a real Wine: its registry is Wine's to write.
        const QString windowsPath = windowsPathInPrefix(prefixDir, logPath);
        qputenv("WINEPREFIX", QFile::encodeName(QFileInfo(prefixDir).absoluteFilePath()));
        if (!logPath.isEmpty() && !setLogFileWithWine(prefixDir, windowsPath, &error))
            return fail(error);
        std::printf("Named %s in the Wine registry of %s\n", qPrintable(windowsPath),
                    qPrintable(prefixDir));
    } else if (!prefixDir.isEmpty()) {
        if (!writeUserReg(prefixDir, logPath, parser.isSet(force), &error))
            return fail(error);
        std::printf("Wrote %s naming %s\n",
                    qPrintable(QDir(prefixDir).filePath(QStringLiteral("user.reg"))),
                    qPrintable(windowsPathInPrefix(prefixDir, logPath)));
    }

    SimDownloads sim(count, speedFactor);
    QElapsedTimer clock;
    clock.start();
    const auto advance = [&] { sim.advanceTo(double(clock.elapsed()) / 1000.0); };

    const auto replyFor = [&](int item) {
        advance();
        return item <= sim.count() ? sim.reply(item - 1) : QString();
    };
    const auto malformedFor = [&](int item) {
        advance();
        return item <= sim.count() ? sim.malformedReply(item - 1) : QString();
    };
    std::unique_ptr<SimServer> server;
    std::unique_ptr<SimDde> ddeServer;
    if (parser.isSet(dde)) {
        const QString standIn =
            QCoreApplication::applicationDirPath() + QStringLiteral("/getright-dde-sim.exe");
        SimDde::Faults faults;
        faults.slowMs = slowMs;
        faults.missing = parser.isSet(missing);
        ddeServer = std::make_unique<SimDde>(standIn, count, faults, [=](int item) {
            return item == malformedItem ? malformedFor(item) : replyFor(item);
        });
        if (!ddeServer->start(&error))
            return fail(error);
        std::printf("Serving GetRight|DownloadInfo over DDE under Wine with %d download(s)\n",
                    count);
    } else {
        SimServer::Faults faults;
        faults.malformedItem = malformedItem;
        faults.slowMs = slowMs;
        faults.missing = parser.isSet(missing);
        server = std::make_unique<SimServer>(faults, replyFor, malformedFor, parser.isSet(verbose));
        if (!server->listen(&error))
            return fail(error);
        std::printf("Serving GetRight|DownloadInfo on %s with %d download(s)\n",
                    qPrintable(server->socketPath()), count);
    }

    // Log lines: what happened since the last write, or a quiet-moment line.
    QTimer logTimer;
    if (!logPath.isEmpty()) {
        const auto writeLog = [&] {
            advance();
            QStringList lines = sim.takeEvents();
            if (lines.isEmpty())
                lines << sim.idleMessage();
            QString logError;
            if (!appendToLog(logPath, lines, QDateTime::currentDateTime(), &logError)) {
                fail(logError);
                QCoreApplication::exit(1);
            }
        };
        writeLog(); // the downloads' start lines, at once
        QObject::connect(&logTimer, &QTimer::timeout, &app, writeLog);
        logTimer.start(every * 1000);
        std::printf("Appending to %s every %d s\n", qPrintable(logPath), every);
    }
    std::fflush(stdout);

    if (quitSeconds > 0)
        QTimer::singleShot(quitSeconds * 1000, &app, &QCoreApplication::quit);
    quitOnSignals(app);
    return app.exec();
}
