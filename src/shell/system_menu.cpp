#include "shell/system_menu.h"

#include <QAction>

#include "platform/platform.h"
#include "platform/settings_names.h"
#include "power/power_off.h"
#include "power/power_rules.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/reset_defaults.h"
#include "shell/startup_settings.h"

namespace quel {

namespace {

const QString kShow = QStringLiteral("show");
const QString kHide = QStringLiteral("hide");

}  // namespace

SystemMenu::SystemMenu(Platform& platform, const MainMenus& menus, PowerOff& power, QObject* parent)
    : QObject(parent),
      platform_(platform),
      store_(platform.files, platform.programFolder),
      power_(power),
      formShow_(menus.formShow),
      formHide_(menus.formHide),
      powerItems_{{
          {PowerAction::Shutdown, menus.shutdown,
           QStringLiteral("请设定Windows系统发生关机事件前等待用户响应的时间(秒)：")},
          {PowerAction::Restart, menus.restart,
           QStringLiteral("请设定Windows系统发生重新启动事件前等待用户响应的时间(秒)：")},
          {PowerAction::Logoff, menus.logoff,
           QStringLiteral("请设定Windows系统发生注销事件前等待用户响应的时间(秒)：")},
      }} {
    // Qt flips a checkable item before `triggered`, so `checked` false means it was ticked already.
    connect(formShow_, &QAction::triggered, this,
            [this](bool checked) { chooseShowState(formShow_, checked, true); });
    connect(formHide_, &QAction::triggered, this,
            [this](bool checked) { chooseShowState(formHide_, checked, false); });

    for (const PowerItems& items : powerItems_) {
        const PowerItems* p = &items;
        connect(items.menu.windowOn, &QAction::triggered, this,
                [this, p](bool checked) { chooseConfirmation(*p, p->menu.windowOn, checked, true); });
        connect(items.menu.windowOff, &QAction::triggered, this,
                [this, p](bool checked) { chooseConfirmation(*p, p->menu.windowOff, checked, false); });
        connect(items.menu.customWait, &QAction::triggered, this, [this, p] { askWaitingTime(*p); });
    }
    connect(menus.systemReset, &QAction::triggered, this, &SystemMenu::resetSystem);
    connect(menus.shutNow, &QAction::triggered, this,
            [this] { power_.requestAtOnce(PowerAction::Shutdown); });
}

void SystemMenu::showPowerSettings() {
    for (const PowerItems& items : powerItems_)
        showPowerSetting(items);
}

void SystemMenu::showPowerSetting(const PowerItems& items) {
    const QString& setting = power_.setting(items.kind);
    const std::optional<bool> confirmation = power::confirmationOf(setting);
    MainMenus::choose(items.menu.window, !confirmation   ? nullptr
                                         : *confirmation ? items.menu.windowOn
                                                         : items.menu.windowOff);
    items.menu.currentWait->setText(waitCaption(setting));
}

void SystemMenu::chooseShowState(QAction* clicked, bool checked, bool show) {
    if (!checked) {
        clicked->setChecked(true);
        return;
    }
    if (!store_.writeText(settings::kShow, show ? kShow : kHide)) {
        clicked->setChecked(false);
        reportUnsaved(store_.pathForWriting(settings::kShow));
        return;
    }
    formShow_->setChecked(show);
    formHide_->setChecked(!show);
}

void SystemMenu::chooseConfirmation(const PowerItems& items, QAction* clicked, bool checked, bool on) {
    if (!checked) {
        clicked->setChecked(true);
        return;
    }
    if (!power_.changeSetting(items.kind, power::withConfirmation(power_.setting(items.kind), on)))
        reportUnsaved(store_.pathForWriting(powerSettingsFile(items.kind)));
    showPowerSetting(items);
}

void SystemMenu::askWaitingTime(const PowerItems& items) {
    for (;;) {
        const QString preset = QString::number(power::waitingSeconds(power_.setting(items.kind)));
        const QString answer = platform_.dialogs.input(version::title(), items.prompt, preset);
        if (answer.trimmed().isEmpty())
            return;
        if (const std::optional<int> seconds = power::parseWaitAnswer(answer)) {
            if (!power_.changeSetting(items.kind, power::withSeconds(power_.setting(items.kind), *seconds)))
                reportUnsaved(store_.pathForWriting(powerSettingsFile(items.kind)));
            showPowerSetting(items);
            return;
        }
        platform_.dialogs.message(version::title(), QStringLiteral("等待的秒数要大于1秒！"),
                                  MessageIcon::Error);
    }
}

void SystemMenu::resetSystem() {
    if (platform_.dialogs.message(version::title(), QStringLiteral("重新设置整个系统的参数,你确定吗?"),
                                  MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes)
        return;
    if (!writeResetDefaults(store_, platform_.autostart, platform_.executable, ResetDocuments::Empty)) {
        // Some defaults are written and some are not; ending now would leave the school without its bells
        // and the operator without a word about it.
        platform_.dialogs.message(version::title(),
                                  QStringLiteral("系统重置失败!有的设置文件无法保存,程序将继续运行。"),
                                  MessageIcon::Error);
        return;
    }
    platform_.dialogs.message(version::title(), QStringLiteral("重置成功!请重新启动程序,使设置生效!"),
                              MessageIcon::Information);
    platform_.tray.remove();
    emit quitRequested();
}

void SystemMenu::reportUnsaved(const QString& path) {
    platform_.dialogs.message(version::title(), QStringLiteral("无法保存文件：") + path, MessageIcon::Error);
}

}  // namespace quel
