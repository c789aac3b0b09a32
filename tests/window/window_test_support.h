#pragma once
// Fakes and a recording window shared by the window tests.

#include "controls/hot_command.h"
#include "controls/uc_pbar.h"
#include "support/fakes.h"
#include "window/main_window.h"

#include <QList>

#include <optional>

const QString ConfigKey = QStringLiteral("Software\\Headlight\\GetRight\\Config\\");

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
