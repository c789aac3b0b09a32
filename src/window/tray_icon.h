#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

class QWidget;

// The program icon (16 x 16 and 32 x 32): the window's icon and the tray's.
QIcon programIcon();

// The program's icon in the desktop's notification area, in place of a taskbar
// button. A left or right press on it emits pressed(), which the window answers
// with bringToFront(). It has no menu. Where the desktop has no notification
// area it does nothing and says nothing.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    static QString tip(); // "Ardow's Pellwick: Tavrin"

    // CreateIcon: shows the icon with its tip (start-up).
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
    QSystemTrayIcon* icon_ = nullptr;
};

// Brings a top-level window to the front and activates it: shown, lifted above
// all other windows and put back into the normal band at its top, raised, then
// made the active window. A step the desktop refuses is simply passed over.
void bringToFront(QWidget* window);
