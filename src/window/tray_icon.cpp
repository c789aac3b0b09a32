#include "window/tray_icon.h"

#include <QWidget>
#include <QWindow>

QIcon programIcon()
{
    // The icon lives in a static library: its resources are pulled in by name,
    // once.
    static const bool registered = [] {
        Q_INIT_RESOURCE(program_icon);
        return true;
    }();
    Q_UNUSED(registered);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tavrin-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/tavrin-32.png"), QSize(32, 32));
    return icon;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon()
{
    deleteIcon();
}

QString TrayIcon::tip()
{
    return QStringLiteral("Ardow's Pellwick: Tavrin");
}

void TrayIcon::createIcon()
{
    if (icon_ == nullptr) {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return; // no notification area: run without the icon, quietly
        icon_ = new QSystemTrayIcon(programIcon(), this);
        icon_->setToolTip(tip());
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
    }
    icon_->show();
}

void TrayIcon::deleteIcon()
{
    if (icon_ != nullptr)
        icon_->hide();
}

bool TrayIcon::isShown() const
{
    return icon_ != nullptr && icon_->isVisible();
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Trigger is the left button, Context the right one; with no menu set, the
    // right button shows none.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
        Q_EMIT pressed();
}

void bringToFront(QWidget* window)
{
    if (window == nullptr)
        return;
    window = window->window();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    if (QWindow* handle = window->windowHandle()) {
        // Above everything, then back among ordinary windows, at their top.
        const Qt::WindowFlags flags = handle->flags();
        handle->setFlags(flags | Qt::WindowStaysOnTopHint);
        handle->setFlags(flags);
    }
    window->raise();
    window->activateWindow();
}
