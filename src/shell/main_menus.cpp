#include "shell/main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/named.h"

namespace quel {

QMenu* MainMenus::addMenu(QWidget* parent, const QString& name, const QString& caption) {
    auto* parentMenu = qobject_cast<QMenu*>(parent);
    QMenu* m = parentMenu ? addNamedMenu(parentMenu, name, caption) : named(new QMenu(caption, parent), name);
    m->menuAction()->setObjectName(name);
    menus_.insert(name, m);
    actions_.insert(name, m->menuAction());
    return m;
}

QAction* MainMenus::addAction(QMenu* menu, const QString& name, const QString& caption, bool checkable) {
    QAction* a = addNamedAction(menu, name, caption, checkable);
    actions_.insert(name, a);
    return a;
}

MainMenus::MainMenus(QWidget* owner, QMenu* chimeMenu, QMenu* alarmMenu) {
    // 托盘: shown as the tray icon's menu rather than in the menu bar.
    trayMenu_ = addMenu(owner, QStringLiteral("MenuTray"), QStringLiteral("托盘"));
    addAction(trayMenu_, QStringLiteral("SoftEdit"), QStringLiteral("软件版本"));
    addAction(trayMenu_, QStringLiteral("Hindme"), QStringLiteral("隐藏窗口"));
    addAction(trayMenu_, QStringLiteral("ShowWin"), QStringLiteral("显示窗体"));

    QMenu* system = addMenu(owner, QStringLiteral("Menu1"), QStringLiteral("系统"));
    QMenu* autorun = addMenu(system, QStringLiteral("AUTORUN"), QStringLiteral("开机启动"));
    addAction(autorun, QStringLiteral("AUTORUNYES"), QStringLiteral("设置"), true);
    addAction(autorun, QStringLiteral("AUTORUNNO"), QStringLiteral("取消"), true);
    QMenu* formState = addMenu(system, QStringLiteral("Formstate"), QStringLiteral("窗体状态"));
    addAction(formState, QStringLiteral("FormShow"), QStringLiteral("显示"), true);
    addAction(formState, QStringLiteral("FormHide"), QStringLiteral("隐藏"), true);
    system->addSeparator();

    struct PowerMenu {
        const char* menu;
        const char* caption;
        const char* form;
        const char* formCaption;
        const char* on;
        const char* off;
        const char* wait;
        const char* current;
        const char* fresh;
    };
    static const PowerMenu kPower[] = {
        {"MenuShutDownWindows", "关机设置", "MenuShutDownDowndowsForm", "关机提示", "MenuShutDownWindowsFormOn",
         "MenuShutDownWindowsFormOff", "MenuShutDownWindowWaitTime", "MenuShutDownWindowsWaitTimeCurrent",
         "MenuShutDownWindowsWaitTimeNew"},
        {"MenuRestart", "重启设置", "MenuRestartForm", "重启提示", "MenuRestartFormOn", "MenuRestartFormOff",
         "MenuRestartWaitTime", "MenuRestartWaitTimeCurrent", "MenuRestartWaitTimeNew"},
        {"MenuLogoff", "注销设置", "MenuLogoffForm", "注销提示", "MenuLogoffFormon", "MenuLogoffFormOff",
         "MenuLogoffWaitTime", "MenuLogoffWaitTimeCurrent", "MenuLogoffWaitTimeNew"},
    };
    for (const PowerMenu& p : kPower) {
        QMenu* top = addMenu(system, QString::fromLatin1(p.menu), QString::fromUtf8(p.caption));
        QMenu* form = addMenu(top, QString::fromLatin1(p.form), QString::fromUtf8(p.formCaption));
        addAction(form, QString::fromLatin1(p.on), QStringLiteral("开"), true);
        addAction(form, QString::fromLatin1(p.off), QStringLiteral("关"), true);
        QMenu* wait = addMenu(top, QString::fromLatin1(p.wait), QStringLiteral("等待时间"));
        addAction(wait, QString::fromLatin1(p.current), QStringLiteral("当前值"));
        addAction(wait, QString::fromLatin1(p.fresh), QStringLiteral("自定义"));
    }
    system->addSeparator();
    addAction(system, QStringLiteral("MenuSystemRefresh"), QStringLiteral("系统重置"));
    system->addSeparator();
    addAction(system, QStringLiteral("MenuHelp"), QStringLiteral("使用方法"));
    addAction(system, QStringLiteral("MenuSkill"), QStringLiteral("使用技巧"));
    system->addSeparator();
    addAction(system, QStringLiteral("MenuAbout"), QStringLiteral("版权声明"));
    addAction(system, QStringLiteral("HideWin"), QStringLiteral("隐藏窗体"));

    exitMenu_ = addMenu(owner, QStringLiteral("MenuExitHead"), QStringLiteral("退出程序菜单"));
    addAction(exitMenu_, QStringLiteral("MenuzExit"), QStringLiteral("结束程序"));
    trayMenu_->addSeparator();
    trayMenu_->addAction(action(QStringLiteral("MenuzExit")));

    // An unconfirmed forced power-off one click away in the menu bar is too easy to hit; the entry
    // exists for completeness but is not shown.
    QMenu* holder = addMenu(owner, QStringLiteral("ShutWindows98Holder"), QString());
    addAction(holder, QStringLiteral("ShutWindows98"), QStringLiteral("立即关机"));

    QMenu* broadcast = addMenu(owner, QStringLiteral("Menu4"), QStringLiteral("播音"));
    addAction(broadcast, QStringLiteral("Player"), QStringLiteral("实时播音器"));
    QMenu* radio = addMenu(owner, QStringLiteral("MenuRadio"), QStringLiteral("收音机"));
    addAction(radio, QStringLiteral("Radio"), QStringLiteral("线路设置"));
    QMenu* calibrate = addMenu(owner, QStringLiteral("MenuJustTime"), QStringLiteral("校时"));
    addAction(calibrate, QStringLiteral("MenuJustMyTimeAuto"), QStringLiteral("自动校时"));
    addAction(calibrate, QStringLiteral("MenuJustMyTimeByHand"), QStringLiteral("间隔设置"));

    bar_ = {system};
    for (QMenu* m : {chimeMenu, alarmMenu}) {
        if (!m) continue;
        bar_ << m;
        menus_.insert(m->objectName(), m);
        actions_.insert(m->objectName(), m->menuAction());
        for (QMenu* sub : m->findChildren<QMenu*>()) {
            if (!sub->objectName().isEmpty()) menus_.insert(sub->objectName(), sub);
        }
        for (QAction* a : m->findChildren<QAction*>()) {
            if (!a->objectName().isEmpty() && !actions_.contains(a->objectName())) actions_.insert(a->objectName(), a);
        }
    }
    bar_ << broadcast << radio << calibrate;
}

QAction* MainMenus::action(const QString& name) const { return actions_.value(name); }

QMenu* MainMenus::menu(const QString& name) const { return menus_.value(name); }

void MainMenus::fillMenuBar(QMenuBar* bar) const {
    for (QMenu* m : bar_) bar->addMenu(m);
}

void MainMenus::tick(const QString& on, std::initializer_list<QString> off) const {
    if (QAction* a = action(on)) a->setChecked(true);
    for (const QString& name : off) {
        if (QAction* a = action(name)) a->setChecked(false);
    }
}

}  // namespace quel
