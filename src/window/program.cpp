#include "window/program.h"

#include "platform/bridge_data_exchange.h"
#include "platform/bridge_registry_reader.h"
#include "platform/data_exchange_choice.h"
#include "platform/wine_bridge.h"
#include "platform/wine_path_resolver.h"
#include "platform/wine_prefix.h"
#include "platform/wine_registry_reader.h"
#include "records/class_error.h"
#include "window/tray_icon.h"
#include "window/main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The general error path: an error that no handler catches is reported with
// its number and description, and the program ends.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const ClassError& error) {
            fail(QString::number(error.number()), error.description());
        } catch (const std::exception& error) {
            fail(QString(), QString::fromLocal8Bit(error.what()));
        }
        return false;
    }

private:
    void fail(const QString& number, const QString& description)
    {
        if (failed_)
            return;
        failed_ = true;
        const QString text =
            number.isEmpty()
                ? description
                : QStringLiteral("Run-time error '%1':\n\n%2").arg(number, description);
        QMessageBox::critical(nullptr, QStringLiteral("Tavrin Error"), text);
        QCoreApplication::exit(1);
    }

    bool failed_ = false;
};

void nameApplication(Skin skin)
{
    QCoreApplication::setApplicationName(skin == Skin::Tavrin ? QStringLiteral("Tavrin")
                                                              : QStringLiteral("Koslin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
}

void describe(QCommandLineParser& parser, Skin skin)
{
    parser.setApplicationDescription(
        skin == Skin::Tavrin
            ? QStringLiteral("Views and analyses the log of the GetRight download manager.")
            : QStringLiteral("Views and analyses the log of the GetRight download manager, "
                             "in a plain window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A GetRight log to open at once (optional)."),
                                 QStringLiteral("[FILE]"));
}

// --help and --version answer in the terminal, with no display needed.
bool asksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version" || arg == "-?")
            return true;
    }
    return false;
}

} // namespace

int runProgram(int& argc, char** argv, Skin skin)
{
    if (asksForHelp(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication(skin);
        QCommandLineParser parser;
        describe(parser, skin);
        parser.process(app); // prints and ends the program
        return 0;
    }
    Application app(argc, argv);
    nameApplication(skin);
    QGuiApplication::setDesktopFileName(skin == Skin::Tavrin
                                            ? QStringLiteral("io.github.tavrin.Tavrin")
                                            : QStringLiteral("io.github.tavrin.Koslin"));
    QApplication::setWindowIcon(programIcon());

    QCommandLineParser parser;
    describe(parser, skin);
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "%s: one log at a time\n%s",
                     qPrintable(QCoreApplication::applicationName().toLower()),
                     qPrintable(parser.helpText()));
        return 2;
    }

    const QString prefix = winePrefix();
    const WineRegistryReader registryFiles(prefix);
    const WinePathResolver resolver(prefix);

    // GetRight under Wine is reached through the bridge (data_exchange_choice.h).
    const WineSide wine = findWineSide(QProcessEnvironment::systemEnvironment(),
                                       QCoreApplication::applicationDirPath(), prefix);
    const ExchangeBackend backend =
        chooseExchangeBackend(qEnvironmentVariable("TAVRIN_DATA_EXCHANGE"), wine);
    std::unique_ptr<WineBridge> bridge;
    std::unique_ptr<BridgeRegistryReader> runningRegistry;
    DataExchangeClient* exchange = nullptr; // the local socket
    if (backend == ExchangeBackend::WineBridge) {
        const QString wineProgram =
            wine.wineProgram.isEmpty() ? QStringLiteral("wine") : wine.wineProgram;
        bridge = std::make_unique<WineBridge>(
            WineBridge::Launch{wineProgram, wine.bridgePath, wine.prefix});
        exchange = new BridgeDataExchange(*bridge);
        if (registryThroughBridge(backend, wine))
            runningRegistry = std::make_unique<BridgeRegistryReader>(*bridge, registryFiles);
    }
    const RegistryReader& registry =
        runningRegistry ? static_cast<const RegistryReader&>(*runningRegistry) : registryFiles;

    // The window goes before the bridge, which ends with the program.
    MainWindow window(skin, registry, resolver, exchange);
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        // Once the window is on screen, as though the file had been chosen in it.
        const QString file = parser.positionalArguments().first();
        QTimer::singleShot(0, &window, [&window, file] { window.openLogFile(file); });
    }
    return app.exec();
}
