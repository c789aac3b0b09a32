#include "window/program.h"

#include "platform/wine_path_resolver.h"
#include "platform/wine_prefix.h"
#include "platform/wine_registry_reader.h"
#include "records/class_error.h"
#include "window/tray_icon.h"
#include "window/main_window.h"

#include <QApplication>
#include <QMessageBox>

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

} // namespace

int runProgram(int& argc, char** argv, Skin skin)
{
    Application app(argc, argv);
    QApplication::setApplicationName(skin == Skin::Tavrin ? QStringLiteral("Tavrin")
                                                          : QStringLiteral("Koslin"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    QGuiApplication::setDesktopFileName(skin == Skin::Tavrin
                                            ? QStringLiteral("io.github.tavrin.Tavrin")
                                            : QStringLiteral("io.github.tavrin.Koslin"));
    QApplication::setWindowIcon(programIcon());

    const QString prefix = winePrefix();
    const WineRegistryReader registry(prefix);
    const WinePathResolver resolver(prefix);
    MainWindow window(skin, registry, resolver);
    window.show();
    return app.exec();
}
