#include "shell/main_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "platform/named.h"

namespace quel {

namespace {

QMenu* topMenu(QWidget* owner, const char* name, const QString& caption) {
    QMenu* m = named(new QMenu(caption, owner), QString::fromLatin1(name));
    m->menuAction()->setObjectName(m->objectName());
    return m;
}

QMenu* subMenu(QMenu* parent, const char* name, const QString& caption) {
    return addNamedMenu(parent, QString::fromLatin1(name), caption);
}

QAction* item(QMenu* menu, const char* name, const QString& caption) {
    return addNamedAction(menu, QString::fromLatin1(name), caption);
}

// Two checkable entries of which at most one is ticked, and none while a settings file names neither.
// Clicking the ticked one unticks it and reports `checked` false; the command then ticks it again and
// writes nothing.
QActionGroup* pair(QMenu* menu, QAction*& first, const char* firstName, const QString& firstCaption,
                   QAction*& second, const char* secondName, const QString& secondCaption) {
    first = addNamedAction(menu, QString::fromLatin1(firstName), firstCaption, true);
    second = addNamedAction(menu, QString::fromLatin1(secondName), secondCaption, true);
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    group->addAction(first);
    group->addAction(second);
    return group;
}

struct PowerNames {
    const char* menu;
    const char* caption;
    const char* form;
    const char* formCaption;
    const char* on;
    const char* off;
    const char* wait;
    const char* current;
    const char* custom;
};

PowerMenuItems powerMenu(QMenu* system, const PowerNames& n) {
    PowerMenuItems items;
    QMenu* top = subMenu(system, n.menu, QString::fromUtf8(n.caption));
    QMenu* form = subMenu(top, n.form, QString::fromUtf8(n.formCaption));
    items.window =
        pair(form, items.windowOn, n.on, QStringLiteral("开"), items.windowOff, n.off, QStringLiteral("关"));
    QMenu* wait = subMenu(top, n.wait, QStringLiteral("等待时间"));
    items.currentWait = item(wait, n.current, QStringLiteral("当前值"));
    items.customWait = item(wait, n.custom, QStringLiteral("自定义"));
    return items;
}

}  // namespace

MainMenus::MainMenus(QWidget* owner, QMenu* chimeMenu, QMenu* alarmMenu) {
    tray = topMenu(owner, "MenuTray", QStringLiteral("托盘"));
    softEdition = item(tray, "SoftEdit", QStringLiteral("软件版本"));
    hideMe = item(tray, "Hindme", QStringLiteral("隐藏窗口"));
    showWindow = item(tray, "ShowWin", QStringLiteral("显示窗体"));

    QMenu* system = topMenu(owner, "Menu1", QStringLiteral("系统"));
    QMenu* autorunMenu = subMenu(system, "AUTORUN", QStringLiteral("开机启动"));
    autorun = pair(autorunMenu, autorunOn, "AUTORUNYES", QStringLiteral("设置"), autorunOff, "AUTORUNNO",
                   QStringLiteral("取消"));
    QMenu* formMenu = subMenu(system, "Formstate", QStringLiteral("窗体状态"));
    formState = pair(formMenu, formShow, "FormShow", QStringLiteral("显示"), formHide, "FormHide",
                     QStringLiteral("隐藏"));
    keepAwake = addNamedAction(system, QStringLiteral("MenuKeepAwake"), QStringLiteral("保持唤醒"), true);
    system->addSeparator();
    shutdown = powerMenu(
        system, {"MenuShutDownWindows", "关机设置", "MenuShutDownDowndowsForm", "关机提示",
                 "MenuShutDownWindowsFormOn", "MenuShutDownWindowsFormOff", "MenuShutDownWindowWaitTime",
                 "MenuShutDownWindowsWaitTimeCurrent", "MenuShutDownWindowsWaitTimeNew"});
    restart = powerMenu(system, {"MenuRestart", "重启设置", "MenuRestartForm", "重启提示",
                                 "MenuRestartFormOn", "MenuRestartFormOff", "MenuRestartWaitTime",
                                 "MenuRestartWaitTimeCurrent", "MenuRestartWaitTimeNew"});
    logoff = powerMenu(system, {"MenuLogoff", "注销设置", "MenuLogoffForm", "注销提示", "MenuLogoffFormon",
                                "MenuLogoffFormOff", "MenuLogoffWaitTime", "MenuLogoffWaitTimeCurrent",
                                "MenuLogoffWaitTimeNew"});
    system->addSeparator();
    history = item(system, "MenuHistory", QStringLiteral("历史记录"));
    system->addSeparator();
    systemReset = item(system, "MenuSystemRefresh", QStringLiteral("系统重置"));
    system->addSeparator();
    help = item(system, "MenuHelp", QStringLiteral("使用方法"));
    tips = item(system, "MenuSkill", QStringLiteral("使用技巧"));
    system->addSeparator();
    about = item(system, "MenuAbout", QStringLiteral("版权声明"));
    hideWindow = item(system, "HideWin", QStringLiteral("隐藏窗体"));

    exitMenu = topMenu(owner, "MenuExitHead", QStringLiteral("退出程序菜单"));
    exit = item(exitMenu, "MenuzExit", QStringLiteral("结束程序"));
    tray->addSeparator();
    tray->addAction(exit);

    QMenu* holder = topMenu(owner, "ShutWindows98Holder", QString());
    shutNow = item(holder, "ShutWindows98", QStringLiteral("立即关机"));

    QMenu* broadcast = topMenu(owner, "Menu4", QStringLiteral("播音"));
    player = item(broadcast, "Player", QStringLiteral("实时播音器"));
    QMenu* radio = topMenu(owner, "MenuRadio", QStringLiteral("收音机"));
    radioLine = item(radio, "Radio", QStringLiteral("线路设置"));
    QMenu* calibrate = topMenu(owner, "MenuJustTime", QStringLiteral("校时"));
    justMyTimeAuto = item(calibrate, "MenuJustMyTimeAuto", QStringLiteral("自动校时"));
    justMyTimeByHand = item(calibrate, "MenuJustMyTimeByHand", QStringLiteral("间隔设置"));
    onTheSecond =
        addNamedAction(calibrate, QStringLiteral("MenuOnTheSecond"), QStringLiteral("按系统秒打铃"), true);

    bar_ = {system};
    for (QMenu* m : {chimeMenu, alarmMenu}) {
        if (m)
            bar_ << m;
    }
    bar_ << broadcast << radio << calibrate;
    all_ = bar_;
    all_ << tray << exitMenu << holder;
}

void MainMenus::fillMenuBar(QMenuBar* bar) const {
    for (QMenu* m : bar_)
        bar->addMenu(m);
}

void MainMenus::choose(QActionGroup* group, QAction* on) {
    if (on) {
        on->setChecked(true);
        return;
    }
    if (QAction* checked = group->checkedAction())
        checked->setChecked(false);
}

QAction* MainMenus::action(const QString& name) const {
    for (QMenu* m : all_) {
        if (m->objectName() == name)
            return m->menuAction();
        if (auto* a = m->findChild<QAction*>(name))
            return a;
        if (auto* sub = m->findChild<QMenu*>(name))
            return sub->menuAction();
    }
    return nullptr;
}

QMenu* MainMenus::menu(const QString& name) const {
    for (QMenu* m : all_) {
        if (m->objectName() == name)
            return m;
        if (auto* sub = m->findChild<QMenu*>(name))
            return sub;
    }
    return nullptr;
}

}  // namespace quel
