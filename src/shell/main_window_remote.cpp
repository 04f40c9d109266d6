#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "emergency/emergency.h"
#include "platform/program_folder.h"
#include "shell/app.h"
#include "shell/calendar_wiring.h"
#include "shell/campus_shell.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/remote_page_wiring.h"
#include "shell/remote_wiring.h"
#include "shell/unattended.h"

namespace quel {

namespace {

const QString kSoundTitle = QStringLiteral("选择警报声");
const QString kSoundFilter =
    QStringLiteral("声音文件|*.wav;*.mp3;*.ogg;*.oga;*.flac;*.wma;*.m4a;*.aac;*.mid");

// 紧急广播 in the menu bar: the sound it plays. What is chosen counts from the next start of the alarm;
// one that sounds now plays on.
void buildEmergencyMenu(QMenuBar* bar, EmergencyBroadcast& emergency, Dialogs& dialogs) {
    auto* menu = new QMenu(QStringLiteral("紧急广播"), bar);
    menu->setObjectName(QStringLiteral("MenuEmergencyHead"));
    QAction* current = menu->addAction(QString());
    current->setObjectName(QStringLiteral("MenuEmergencyCurrent"));
    current->setEnabled(false);
    QAction* choose = menu->addAction(QStringLiteral("选择警报声…"));
    choose->setObjectName(QStringLiteral("MenuEmergencyChoose"));
    QAction* builtIn = menu->addAction(QStringLiteral("恢复默认警报声"));
    builtIn->setObjectName(QStringLiteral("MenuEmergencyDefault"));
    // A path may hold "&", which a menu caption would take for a shortcut marker.
    const auto show = [current, &emergency] {
        const bool chosen = !emergency.chosenSound().isEmpty();
        current->setText(QStringLiteral("当前：") +
                         (chosen ? emergency.chosenSound() : QStringLiteral("默认警报声"))
                             .replace(QLatin1Char('&'), QStringLiteral("&&")));
    };
    QObject::connect(menu, &QMenu::aboutToShow, menu, show);
    const auto write = [&emergency, &dialogs, show](const QString& path) {
        if (!emergency.chooseSound(path))
            dialogs.message(
                version::title(),
                QStringLiteral("无法写入 %1，警报声没有改变").arg(EmergencyBroadcast::kSoundSetting),
                MessageIcon::Error);
        show();
    };
    QObject::connect(choose, &QAction::triggered, menu, [&emergency, &dialogs, write] {
        const QString folder = QFileInfo(emergency.sound()).absolutePath();
        const QString path = dialogs.openFile({kSoundTitle, folder, kSoundFilter});
        if (!path.isEmpty())
            write(path);
    });
    QObject::connect(builtIn, &QAction::triggered, menu, [write] { write(QString()); });
    show();
    bar->addMenu(menu);
}

}  // namespace

ShellRemote& MainWindow::attachRemote() {
    if (remote_)
        return *remote_;
    const QString dataDir = installedDataDir(QFileInfo(platform_.executable).absolutePath());
    remote_ = new ShellRemote(
        {platform_, store_, *tick_, table_, *mediaPlayer1_, *mediaPlayer2_, *alarm_, *broadcaster_, *radio_,
         *powerOff_, *unattended_, unattended_->history(), store_.pathForReading(installed::kAlarmSound),
         dataDir + QStringLiteral("/emergency/evacuation.wav"), [this] { return calendar_->todayReason(); }},
        this);
    connect(calendar_, &CalendarWiring::todayChosen, remote_, &RemoteActions::statusChanged);
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
    buildEmergencyMenu(menuBar(), emergency, platform_.dialogs);
    // The page for a phone acts through the same actions as the command line and D-Bus.
    remotePage_->feature().setActions(remote_);
    remote_->setCampus(&campus_->campus());
    return *remote_;
}

}  // namespace quel
