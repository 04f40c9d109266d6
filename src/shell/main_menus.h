#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quel {

// The main window's menu tree. Every entry carries its design name as object name, so commands are
// wired and tests find entries by name. The chime and alarm menus are built by their own controller
// and handed in.
class MainMenus {
public:
    MainMenus(QWidget* owner, QMenu* chimeMenu, QMenu* alarmMenu);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    void fillMenuBar(QMenuBar* bar) const;
    // 托盘 with 结束程序: the tray icon's context menu.
    QMenu* trayMenu() const { return trayMenu_; }
    // 退出程序菜单: the right-click pop-up of the title labels.
    QMenu* exitMenu() const { return exitMenu_; }
    // Ticks one of a pair (or of a group) and unticks the others.
    void tick(const QString& on, std::initializer_list<QString> off) const;

private:
    QMenu* addMenu(QWidget* parent, const QString& name, const QString& caption);
    QAction* addAction(QMenu* menu, const QString& name, const QString& caption, bool checkable = false);

    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QList<QMenu*> bar_;
    QMenu* trayMenu_ = nullptr;
    QMenu* exitMenu_ = nullptr;
};

}  // namespace quel
