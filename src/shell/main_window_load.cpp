// The main window's load handler: the start-up steps in their order. The reset runs before the
// single-instance test, and the tray icon exists before the window may be hidden.

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include "engine/alarm.h"
#include "engine/alarm_panel.h"
#include "engine/chime.h"
#include "engine/clock_tick.h"
#include "engine/status_line.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "schedule/entry_editor.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/reset_defaults.h"
#include "shell/startup_settings.h"

namespace quel {

bool MainWindow::load() {
    status_->setText(startupUptimeLabel(platform_.clock.msecsSinceBoot(), platform_.clock.now().date()));

    if (resetDue(store_)) {
        writeResetDefaults(store_, platform_.autostart, platform_.executable, ResetDocuments::KeepFilled);
        menus_->tick(QStringLiteral("AUTORUNYES"), {QStringLiteral("AUTORUNNO")});
    }
    tick_->setInterval(readTickInterval(store_));
    tick_->setProgramClockFromSystem();
    RadioLineIn = readRadioLineIn(store_);

    if (platform_.instance.anotherIsRunning()) {
        platform_.dialogs.message(version::title(), version::titleWithVersion() + QStringLiteral("已运行！"),
                                  MessageIcon::Information);
        platform_.instance.activateOther();
        return false;
    }
    // No other instance can be writing now: what a killed write left beside the files may go.
    removeStrayTempFiles(platform_.programFolder);

    switch (readAutoRun(store_)) {
        case Choice::First:
            menus_->tick(QStringLiteral("AUTORUNYES"), {QStringLiteral("AUTORUNNO")});
            break;
        case Choice::Second:
            menus_->tick(QStringLiteral("AUTORUNNO"), {QStringLiteral("AUTORUNYES")});
            break;
        case Choice::Neither:
            menus_->tick(QString(), {QStringLiteral("AUTORUNYES"), QStringLiteral("AUTORUNNO")});
            break;
    }
    editor_->fillTimeLists();
    chime_->applyTollSetting(readTollSetting(store_));

    setWindowTitle(version::kTitle + QStringLiteral("    版本 ") + version::text());
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move((screen->geometry().width() - frameGeometry().width()) / 2, 0);

    alarmPanel_->fillLists();
    DefaultRing = store_.pathForReading(installed::kAlarmSound);
    if (!alarm_->applyAlarmUnit(store_.text(settings::kTimeSet)))
        store_.repairText(settings::kTimeSet, QStringLiteral("minute"));
    if (!alarm_->applyRings(store_.text(settings::kUserWav), DefaultRing))
        store_.repairText(settings::kUserWav, store_.pathForWriting(installed::kAlarmSound));

    DefaultTablePath = readDefaultTablePath(store_);
    CurrentTablePath = DefaultTablePath;
    updateDefaultButton();
    if (!platform_.files.exists(CurrentTablePath) &&
        samePath(CurrentTablePath, store_.pathForReading(settings::kDefaultTable))) {
        // Only a missing default table is made anew; one that exists but cannot be read is left alone.
        store_.writeText(settings::kDefaultTable, QString());
    }
    showCurrentTable();
    loadTable(CurrentTablePath);

    applyPowerSettings();

    platform_.tray.add(windowIcon(), version::titleWithVersion(), menus_->trayMenu());

    switch (readShowState(store_)) {
        case Choice::First:
            menus_->tick(QStringLiteral("FormShow"), {QStringLiteral("FormHide")});
            show();
            break;
        case Choice::Second:
            menus_->tick(QStringLiteral("FormHide"), {QStringLiteral("FormShow")});
            hideToTray();
            break;
        case Choice::Neither:
            hideToTray();
            break;
    }
    tick_->start();
    return true;
}

void MainWindow::applyPowerSettings() {
    struct Pair {
        QString* member;
        const QString& file;
        const char* on;
        const char* off;
        const char* current;
    };
    const Pair pairs[] = {
        {&ShutString, settings::kShut, "MenuShutDownWindowsFormOn", "MenuShutDownWindowsFormOff",
         "MenuShutDownWindowsWaitTimeCurrent"},
        {&RestartString, settings::kRestart, "MenuRestartFormOn", "MenuRestartFormOff",
         "MenuRestartWaitTimeCurrent"},
        {&LogoffString, settings::kLogoff, "MenuLogoffFormon", "MenuLogoffFormOff",
         "MenuLogoffWaitTimeCurrent"},
    };
    for (const Pair& p : pairs) {
        const PowerSetting s = readPowerSetting(store_, p.file);
        *p.member = s.text;
        const QString on = QString::fromLatin1(p.on);
        const QString off = QString::fromLatin1(p.off);
        if (s.confirm == Choice::First)
            menus_->tick(on, {off});
        if (s.confirm == Choice::Second)
            menus_->tick(off, {on});
        menus_->action(QString::fromLatin1(p.current))->setText(s.currentCaption);
    }
}

}  // namespace quel
