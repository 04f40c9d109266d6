#include "platform/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace quel {

SystemTray::SystemTray(QObject* parent) : Tray(parent) {}

bool SystemTray::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTray::add(const QIcon& icon, const QString& tip, QMenu* menu) {
    if (icon_ && icon_->isVisible())
        return;
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                emit leftClicked();
        });
    }
    icon_->setIcon(icon);
    icon_->setToolTip(tip);
    icon_->setContextMenu(menu);
    icon_->show();
}

void SystemTray::remove() {
    if (icon_)
        icon_->hide();
}

bool SystemTray::isShown() const {
    return icon_ && icon_->isVisible();
}

QString SystemTray::tip() const {
    return icon_ ? icon_->toolTip() : QString();
}

void SystemTray::setTip(const QString& tip) {
    if (icon_)
        icon_->setToolTip(tip);
}

void SystemTray::showWarning(const QString& title, const QString& text) {
    if (icon_ && icon_->isVisible())
        icon_->showMessage(title, text, QSystemTrayIcon::Warning);
}

}  // namespace quel
