#pragma once
// Fakes and a recording window shared by the window tests.

#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "platform/desktop_opener.h"
#include "platform/path_resolver.h"
#include "platform/registry_reader.h"
#include "window/main_window.h"

#include <QList>

#include <optional>

const QString ConfigKey = QStringLiteral("Software\\Headlight\\GetRight\\Config\\");

class FakeRegistry : public RegistryReader {
public:
    std::optional<QString> logFile; // nothing: the value is missing
    mutable int calls = 0;
    mutable std::uint32_t root = 0;
    mutable QString subKey, valueName, defaultValue;

    QString getRegString(std::uint32_t rootKey, const QString& key, const QString& name,
                         const QString& fallback) const override
    {
        ++calls;
        root = rootKey;
        subKey = key;
        valueName = name;
        defaultValue = fallback;
        return logFile.value_or(fallback);
    }
};

// Keeps what Execute hands to the desktop instead of opening it.
struct RecordingOpener : DesktopOpener {
    QList<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
};

class SamePath : public PathResolver {
public:
    QString resolve(const QString& storedPath) const override { return storedPath; }
};

// The window with its desktop seams recorded instead of shown.
class TestWindow : public MainWindow {
public:
    struct Message {
        QString text;
        QMessageBox::Icon icon;
        QString title;
        QString detail;
        // What the window showed while the box was up.
        bool reReadHidden;
        bool exitHidden;
        bool progressHidden;
        QString progressCaption;
    };

    using MainWindow::MainWindow;

    QList<Message> messages;
    std::optional<QString> chosenFile; // nothing: the dialog is cancelled
    int dialogs = 0;
    int moves = 0;

    template <typename T> T* control(const char* name) const
    {
        T* widget = findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

protected:
    void showMessage(const QString& text, QMessageBox::Icon icon, const QString& title,
                     const QString& detail) override
    {
        messages.append({text, icon, title, detail, control<HotCommand>("cmdReRead")->isHidden(),
                         control<HotCommand>("cmdExit")->isHidden(),
                         control<UcPBar>("PBar1")->isHidden(),
                         control<UcPBar>("PBar1")->caption()});
    }
    std::optional<QString> chooseLogFile() override
    {
        ++dialogs;
        return chosenFile;
    }
    bool startSystemMove() override
    {
        ++moves;
        return true;
    }
};
