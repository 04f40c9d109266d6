#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "engine/responses.h"
#include "platform/platform.h"
#include "platform/settings_store.h"
#include "schedule/schedule_table.h"

class QLabel;
class QPushButton;

namespace quel {

class Alarm;
class AlarmPanel;
class Chime;
class ClockTick;
class EntryEditor;
class FormJustTimeByHand;
class MainMenus;
class ScheduleList;

// The program's one permanent window, `Formall`: the schedule, the entry editor, the alarm inputs, the
// menus and the tray icon. It owns the current table, the program clock and the settings members for
// the life of the program, and carries out what the tick decides.
class MainWindow : public QMainWindow, public Responses {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load handler. False when another instance is running: this one must end.
    bool load();

    // The settings members that other windows and the responses read.
    QString ShutString;
    QString RestartString;
    QString LogoffString;
    qint16 RadioLineIn = 0;
    QString DefaultRing;
    QString DefaultTablePath;
    QString CurrentTablePath;
    // The sound the tone action plays, set by the tick just before it presses `Command8`.
    QString ToneFile;

    const ScheduleTable& table() const { return table_; }
    ClockTick& clockTick() const { return *tick_; }
    MainMenus& menus() const { return *menus_; }
    Media& tonePlayer() const { return *mediaPlayer1_; }
    Media& chimePlayer() const { return *mediaPlayer2_; }

    // Responses: what the tick asks for.
    const QStringList& entries() const override;
    void broadcastStaticOn(int entryIndex) override;
    void broadcastDynamicOn(int entryIndex) override;
    void broadcastOff() override;
    void switchRadio() override;
    void powerOff(PowerAction action) override;
    void openTableByResponse(int entryIndex) override;
    void sayTime(Voice voice, const ProgramClock& clock) override;
    void playTone(const QString& path) override;
    void hourlyChime(const ProgramClock& clock) override;
    void alarmStep(const ProgramClock& clock) override;
    void showStatus(const QString& line) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFace();
    void wireCommands();
    void loadTable(const QString& path);
    void showCurrentTable();
    void updateDefaultButton();
    void applyPowerSettings();
    void hideToTray();
    void restore();
    void exitProgram();

    Platform& platform_;
    SettingsStore store_;
    ScheduleTable table_;
    std::unique_ptr<Media> mediaPlayer1_;
    std::unique_ptr<Media> mediaPlayer2_;
    Chime* chime_ = nullptr;
    Alarm* alarm_ = nullptr;
    ClockTick* tick_ = nullptr;
    std::unique_ptr<MainMenus> menus_;
    ScheduleList* list_ = nullptr;
    EntryEditor* editor_ = nullptr;
    AlarmPanel* alarmPanel_ = nullptr;
    QLabel* title_ = nullptr;             // Label1
    QLabel* edition_ = nullptr;           // Label9
    QLabel* status_ = nullptr;            // Label5
    QLabel* tableName_ = nullptr;         // Label2
    QPushButton* makeDefault_ = nullptr;  // Command7
    QPushButton* tone_ = nullptr;         // Command8, never shown
    QPointer<FormJustTimeByHand> calibration_;
};

}  // namespace quel
