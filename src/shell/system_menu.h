#pragma once

#include <QObject>
#include <array>

#include "engine/responses.h"
#include "platform/settings_store.h"
#include "shell/main_menus.h"

class QAction;

namespace quel {

class PowerOff;
struct Platform;

// The commands of the menu 系统 that change settings files: 窗体状态 (show.txt), the confirmation
// settings under 关机设置, 重启设置 and 注销设置 (Shut.txt, Restart.txt, Logoff.txt), 系统重置, and the
// hidden 立即关机. Each writes its file first and shows the change only when the write succeeded.
class SystemMenu : public QObject {
    Q_OBJECT
public:
    SystemMenu(Platform& platform, const MainMenus& menus, PowerOff& power, QObject* parent = nullptr);

    // Ticks 开 or 关 and writes the 当前值 caption of each kind from the controller's settings
    // (start-up, after PowerOff::load).
    void showPowerSettings();

signals:
    // 系统重置 wrote the defaults and removed the tray icon: the program must end now.
    void quitRequested();

private:
    struct PowerItems {
        PowerAction kind;
        PowerMenuItems menu;
        QString prompt;
    };

    void chooseShowState(QAction* clicked, bool checked, bool show);
    void chooseConfirmation(const PowerItems& items, QAction* clicked, bool checked, bool on);
    void askWaitingTime(const PowerItems& items);
    void showPowerSetting(const PowerItems& items);
    void resetSystem();
    void reportUnsaved(const QString& path);

    Platform& platform_;
    SettingsStore store_;
    PowerOff& power_;
    QAction* formShow_;
    QAction* formHide_;
    std::array<PowerItems, 3> powerItems_;
};

}  // namespace quel
