#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

#include "emergency/emergency.h"
#include "platform/program_folder.h"
#include "shell/app.h"
#include "shell/campus_shell.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/remote_page_wiring.h"
#include "shell/remote_wiring.h"
#include "shell/unattended.h"

namespace quel {

ShellRemote& MainWindow::attachRemote() {
    if (remote_)
        return *remote_;
    const QString dataDir = installedDataDir(QFileInfo(platform_.executable).absolutePath());
    remote_ = new ShellRemote(
        {platform_, store_, *tick_, table_, *mediaPlayer1_, *mediaPlayer2_, *alarm_, *broadcaster_, *radio_,
         *powerOff_, *unattended_, unattended_->history(), store_.pathForReading(installed::kAlarmSound),
         dataDir + QStringLiteral("/emergency/evacuation.wav")},
        this);
    EmergencyBroadcast& emergency = remote_->emergencyBroadcast();
    // The button starts and ends it; the tray item only starts it, since ending it wants someone at
    // the window (or the command line, D-Bus, the page).
    connect(emergency_, &QPushButton::clicked, this,
            [&emergency](bool on) { on ? emergency.start() : emergency.stop(); });
    connect(&emergency, &EmergencyBroadcast::activeChanged, emergency_, &QPushButton::setChecked);
    // While it sounds the button stands out, so whoever comes to the window sees how to end it.
    emergency_->setStyleSheet(
        QStringLiteral("QPushButton:checked { background: #c62828; color: white; font-weight: bold; }"));
    auto* trayItem = new QAction(QStringLiteral("紧急广播"), menus_->tray);
    trayItem->setObjectName(QStringLiteral("MenuEmergency"));
    menus_->tray->insertAction(menus_->tray->actions().value(0), trayItem);
    connect(trayItem, &QAction::triggered, &emergency, &EmergencyBroadcast::start);
    // The page for a phone acts through the same actions as the command line and D-Bus.
    remotePage_->feature().setActions(remote_);
    remote_->setCampus(&campus_->campus());
    return *remote_;
}

}  // namespace quel
