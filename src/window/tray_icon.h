#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class QWidget;

// The program icon (16 x 16 and 32 x 32): the window's icon and the tray's.
QIcon programIcon();

// The program's icon in the desktop's notification area, in place of a taskbar
// button. A left or right press on it emits pressed(), which the window answers
// with bringToFront(). It has no menu.
//
// Where the desktop has no notification area (stock GNOME, for one) the icon
// cannot be shown: available() says so, so the window can keep its taskbar
// button. A notification area that appears later (an extension switched on,
// a panel started) is looked for every few seconds, and the icon is added.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using Availability = std::function<bool()>;
    static constexpr int WatchIntervalMs = 3000;

    // `available` tells whether the desktop has a notification area now;
    // QSystemTrayIcon's answer by default.
    explicit TrayIcon(QObject* parent = nullptr, Availability available = {});
    // What icons made without an answer of their own ask instead (tests; empty: QSystemTrayIcon).
    static void setDefaultAvailability(Availability available);
    ~TrayIcon() override;

    static QString tip(); // "Ardow's Pellwick: Tavrin"

    bool available() const { return available_(); }
    void setWatchInterval(int ms) { watch_.setInterval(ms); }

    // CreateIcon: shows the icon with its tip (start-up); without a
    // notification area, watches for one to appear.
    void createIcon();
    // DeleteIcon: removes it (every close of the window).
    void deleteIcon();
    bool isShown() const;

public Q_SLOTS:
    // What the desktop reports of the icon: only a left or right press counts;
    // moves, the middle button and the second press of a double click do not.
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

Q_SIGNALS:
    void pressed();

private:
    void watchForTray();

    Availability available_;
    QSystemTrayIcon* icon_ = nullptr;
    QTimer watch_;
    bool deleted_ = false; // DeleteIcon ran: the icon is not to come back
};

// Brings a top-level window to the front and activates it: shown, lifted above
// all other windows and put back into the normal band at its top, raised, then
// made the active window. A step the desktop refuses is simply passed over.
void bringToFront(QWidget* window);
