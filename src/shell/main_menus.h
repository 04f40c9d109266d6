#pragma once

#include <QList>
#include <QString>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QWidget;

namespace quel {

// The items of one power-off kind under 系统: the confirmation window on or off, and its waiting time.
struct PowerMenuItems {
    QAction* windowOn = nullptr;   // 开
    QAction* windowOff = nullptr;  // 关
    QActionGroup* window = nullptr;
    QAction* currentWait = nullptr;  // 当前值:N秒
    QAction* customWait = nullptr;   // 自定义
};

// The main window's menu tree. Every entry carries its design name as object name so tests find it;
// the program reaches the entries through these members. The chime and alarm menus are built by their
// own controllers and handed in.
class MainMenus {
public:
    MainMenus(QWidget* owner, QMenu* chimeMenu, QMenu* alarmMenu);

    // 托盘, with 结束程序: the tray icon's context menu.
    QMenu* tray = nullptr;
    QAction* softEdition = nullptr;  // SoftEdit
    QAction* hideMe = nullptr;       // Hindme
    QAction* showWindow = nullptr;   // ShowWin

    // 系统
    QAction* autorunOn = nullptr;   // AUTORUNYES
    QAction* autorunOff = nullptr;  // AUTORUNNO
    QActionGroup* autorun = nullptr;
    QAction* formShow = nullptr;  // FormShow
    QAction* formHide = nullptr;  // FormHide
    QActionGroup* formState = nullptr;
    PowerMenuItems shutdown;
    PowerMenuItems restart;
    PowerMenuItems logoff;
    QAction* systemReset = nullptr;  // MenuSystemRefresh
    QAction* help = nullptr;         // MenuHelp
    QAction* tips = nullptr;         // MenuSkill
    QAction* about = nullptr;        // MenuAbout
    QAction* hideWindow = nullptr;   // HideWin
    QAction* keepAwake = nullptr;    // 保持唤醒
    QAction* history = nullptr;      // 历史记录

    // 退出程序菜单: the right-click pop-up of the title labels.
    QMenu* exitMenu = nullptr;
    QAction* exit = nullptr;  // MenuzExit

    // An unconfirmed forced power-off one click away in the menu bar is too easy to hit; the entry
    // exists but is not shown.
    QAction* shutNow = nullptr;  // ShutWindows98

    QAction* player = nullptr;            // 实时播音器
    QAction* radioLine = nullptr;         // 线路设置
    QAction* justMyTimeAuto = nullptr;    // 自动校时
    QAction* justMyTimeByHand = nullptr;  // 间隔设置
    QAction* onTheSecond = nullptr;       // 按系统秒打铃

    void fillMenuBar(QMenuBar* bar) const;
    // Ticks `on` in its group, or clears the group when `on` is null (a settings file that names
    // neither choice).
    static void choose(QActionGroup* group, QAction* on);

    // Finds an entry of any menu of the bar by its design name. For tests; the program uses the members.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

private:
    QList<QMenu*> bar_;
    QList<QMenu*> all_;
};

}  // namespace quel
