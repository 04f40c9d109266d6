#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "platform/platform.h"
#include "platform/settings_store.h"
#include "schedule/table_document.h"
#include "schedule/table_wiring.h"

class QLabel;
class QPushButton;

namespace quel {

class Alarm;
class Broadcaster;
class CampusShell;
class CalendarWiring;
class AlarmPanel;
class Chime;
class ElidedLabel;
class ClockTick;
class EntryChoices;
class EntryEditor;
class FormJustTimeByHand;
class MainMenus;
class PowerOff;
class RadioControl;
class SystemMenu;
class RemotePageWiring;
class ResponseRouter;
class ScheduleList;
class ShellRemote;
class TableCommands;
class Unattended;

// The program's one permanent window, `Formall`: the schedule, the entry editor, the alarm inputs, the
// menus and the tray icon. It builds the features, shows what they hold and wires the operator's
// commands to them; the tick reaches the features through the response router.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load handler. False when another instance is running: this one must end.
    bool load();

    const TableDocument& table() const { return table_; }
    ClockTick& clockTick() const { return *tick_; }
    MainMenus& menus() const { return *menus_; }
    const PowerOff& powerOff() const { return *powerOff_; }
    Unattended& unattended() const { return *unattended_; }
    // Builds what the command line, D-Bus and the page for a phone act on, with the emergency broadcast
    // (its button and tray item act on it); the running program does, once. Null before.
    ShellRemote& attachRemote();
    ShellRemote* remote() const { return remote_; }
    CampusShell& campus() const { return *campus_; }
    // The page for a phone; the program's RemoteActions are handed to its feature().
    RemotePageWiring& remotePage() const { return *remotePage_; }
    // The built-in alarm sound, the tone of 默认乐音.
    const QString& defaultRing() const { return defaultRing_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFace();
    void wireCommands();
    void showCurrentTable();
    void placeAtTopCentre();
    void showAtStart();
    void hideToTray();
    void restore();
    void exitProgram();
    void endProgram();

    Platform& platform_;
    SettingsStore store_;
    TableDocument table_;
    std::unique_ptr<Media> mediaPlayer1_;
    std::unique_ptr<Media> mediaPlayer2_;
    Chime* chime_ = nullptr;
    Broadcaster* broadcaster_ = nullptr;
    RadioControl* radio_ = nullptr;
    PowerOff* powerOff_ = nullptr;
    std::unique_ptr<ResponseRouter> router_;
    Alarm* alarm_ = nullptr;
    ClockTick* tick_ = nullptr;
    std::unique_ptr<MainMenus> menus_;
    SystemMenu* systemMenu_ = nullptr;
    ScheduleList* list_ = nullptr;
    std::unique_ptr<EntryChoices> choices_;
    Unattended* unattended_ = nullptr;
    ShellRemote* remote_ = nullptr;
    QPushButton* emergency_ = nullptr;  // 紧急广播
    CalendarWiring* calendar_ = nullptr;
    RemotePageWiring* remotePage_ = nullptr;
    EntryEditor* editor_ = nullptr;
    TableCommands* tableCommands_ = nullptr;
    CampusShell* campus_ = nullptr;
    TableButtons tableButtons_;
    AlarmPanel* alarmPanel_ = nullptr;
    QLabel* title_ = nullptr;      // Label1
    QLabel* edition_ = nullptr;    // Label9
    QLabel* status_ = nullptr;     // Label5
    ElidedLabel* next_ = nullptr;  // what rings next
    QLabel* tableName_ = nullptr;  // Label2
    // The table the next start loads: a table opened with 打开 rings only until then.
    QLabel* startTable_ = nullptr;
    QPushButton* makeDefault_ = nullptr;  // Command7
    QPointer<FormJustTimeByHand> calibration_;
    QString defaultRing_;
    // Set once the operator confirmed 结束程序: the close that quitting sends every window is accepted.
    bool exiting_ = false;
    bool minimizeWhenExposed_ = false;
};

}  // namespace quel
