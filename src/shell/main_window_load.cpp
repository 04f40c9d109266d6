// The main window's load handler: the start-up steps in their order. The reset runs before the
// single-instance test, and the tray icon exists before the window may be hidden.

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "bells/alarm.h"
#include "bells/alarm_panel.h"
#include "bells/chime.h"
#include "engine/clock_tick.h"
#include "engine/status_line.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "power/power_off.h"
#include "schedule/entry_choices.h"
#include "schedule/entry_editor.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/reset_defaults.h"
#include "shell/startup_settings.h"
#include "shell/system_menu.h"
#include "shell/unattended.h"

namespace quel {

bool MainWindow::load() {
    status_->setText(startupUptimeLabel(platform_.clock.msecsSinceBoot(), platform_.clock.now().date()));

    if (resetDue(store_)) {
        writeResetDefaults(store_, platform_.autostart, platform_.executable, ResetDocuments::KeepFilled);
        MainMenus::choose(menus_->autorun, menus_->autorunOn);
    }
    tick_->setInterval(readTickInterval(store_));
    tick_->setProgramClockFromSystem();

    if (platform_.instance.anotherIsRunning()) {
        platform_.dialogs.message(version::title(), version::titleWithVersion() + QStringLiteral("已运行！"),
                                  MessageIcon::Information);
        platform_.instance.activateOther();
        return false;
    }
    // No other instance can be writing now: what a killed write left beside the files may go.
    removeStrayTempFiles(platform_.programFolder);

    const Choice autorun = readAutoRun(store_);
    MainMenus::choose(menus_->autorun, autorun == Choice::First    ? menus_->autorunOn
                                       : autorun == Choice::Second ? menus_->autorunOff
                                                                   : nullptr);
    editor_->fillTimeLists();
    chime_->applyTollSetting(readTollSetting(store_));

    setWindowTitle(version::kTitle + QStringLiteral("    版本 ") + version::text());
    adjustSize();
    placeAtTopCentre();
    winId();
    windowHandle()->installEventFilter(this);

    alarmPanel_->fillLists();
    defaultRing_ = store_.pathForReading(installed::kAlarmSound);
    choices_->setDefaultRing(defaultRing_);
    if (!alarm_->applyAlarmUnit(store_.text(settings::kTimeSet)))
        store_.repairText(settings::kTimeSet, QStringLiteral("minute"));
    if (!alarm_->applyRings(store_.text(settings::kUserWav), defaultRing_))
        store_.repairText(settings::kUserWav, store_.pathForWriting(installed::kAlarmSound));

    const QString defaultPath = readDefaultTablePath(store_);
    if (!platform_.files.exists(defaultPath) &&
        samePath(defaultPath, store_.pathForReading(settings::kDefaultTable))) {
        // Only a missing default table is made anew; one that exists but cannot be read is left alone.
        store_.writeText(settings::kDefaultTable, QString());
    }
    table_.setDefaultPath(defaultPath);
    table_.load(defaultPath);

    powerOff_->load();
    systemMenu_->showPowerSettings();

    platform_.tray.add(windowIcon(), version::titleWithVersion(), menus_->tray);
    showAtStart();
    unattended_->load();
    tick_->start();
    return true;
}

void MainWindow::placeAtTopCentre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame, not the client area, goes to the top of the screen: placed by its client area, the
    // window's caption lies above the screen with no way to drag or close it. Only once the window
    // manager has framed the window is the frame's size known, so it is placed again then.
    const QSize frame = frameGeometry().size();
    move(area.x() + std::max(0, (area.width() - frame.width()) / 2), area.y());
}

void MainWindow::showAtStart() {
    const Choice state = readShowState(store_);
    MainMenus::choose(menus_->formState, state == Choice::First    ? menus_->formShow
                                         : state == Choice::Second ? menus_->formHide
                                                                   : nullptr);
    if (state == Choice::First) {
        show();
        return;
    }
    if (platform_.tray.isAvailable()) {
        hideToTray();
        return;
    }
    // Without a tray the window is shown minimized. A window manager may ignore the minimized state
    // of a window that is not mapped yet, so the window is minimized once it is on the screen.
    minimizeWhenExposed_ = true;
    show();
}

}  // namespace quel
