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

namespace {

TrayIcon::Availability& defaultAvailability()
{
    static TrayIcon::Availability available;
    return available;
}

} // namespace

void TrayIcon::setDefaultAvailability(Availability available)
{
    defaultAvailability() = std::move(available);
}

TrayIcon::TrayIcon(QObject* parent, Availability available)
    : QObject(parent), available_(std::move(available))
{
    if (!available_)
        available_ = defaultAvailability();
    if (!available_)
        available_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    watch_.setInterval(WatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &TrayIcon::watchForTray);
}

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
    deleted_ = false;
    if (icon_ == nullptr) {
        if (!available_()) {
            watch_.start(); // no notification area yet: the window keeps its taskbar button
            return;
        }
        watch_.stop();
        icon_ = new QSystemTrayIcon(programIcon(), this);
        icon_->setToolTip(tip());
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
    }
    icon_->show();
}

void TrayIcon::deleteIcon()
{
    deleted_ = true;
    watch_.stop();
    if (icon_ != nullptr)
        icon_->hide();
}

void TrayIcon::watchForTray()
{
    if (!deleted_ && available_())
        createIcon();
}

bool TrayIcon::isShown() const
{
    return icon_ != nullptr && icon_->isVisible();
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Trigger is the left button, Context the right one; with no menu set, the
    // right button shows none.
    // After DeleteIcon, an activation still under way is no press.
    if (!deleted_ && (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context))
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
