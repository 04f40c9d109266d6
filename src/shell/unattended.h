#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <memory>

#include "history/history_line.h"
#include "power/power_off.h"

class QAction;
class QLabel;
class QWidget;

namespace quel {

class Alarm;
class AlarmPanel;
class Chime;
class ElidedLabel;
class ClockTick;
class History;
class HistoryWindow;
class KeepAwake;
class MainMenus;
class Media;
class RadioControl;
class ScheduleList;
class TableDocument;
class ToneFallback;
struct HistoryEvent;
struct Platform;

// The parts of the main window that running unattended reads and listens to.
struct UnattendedParts {
    Platform& platform;
    ClockTick& tick;
    const TableDocument& table;
    Chime& chime;
    const Alarm& alarm;
    AlarmPanel& alarmPanel;
    Media& tonePlayer;
    Media& chimePlayer;
    PowerOff& powerOff;
    RadioControl& radio;
    ScheduleList& list;
    MainMenus& menus;
    ElidedLabel& nextLabel;  // the row under the status line
    QWidget& window;
};

// What lets the program ring for days with nobody watching: what rings next (beside the status line,
// in the tray tip and marked in the list), the history of what rang and what failed (with a tray
// notice for each failure and the window 历史记录; a tone that cannot play rings the built-in one),
// the hold against the desktop's suspend
// (保持唤醒) and the bells on the system's second (按系统秒打铃). It only wires: the rules are in
// the tick, the history and the look-ahead.
//
// Each event is one line with its real outcome. Where the outcome comes after the tick fired (a
// sound that plays or cannot, a power-off counted down, cancelled or refused, the radio switched by
// the sound server), the line waits for it and is written with the moment the event began.
class Unattended : public QObject {
    Q_OBJECT
public:
    explicit Unattended(const UnattendedParts& parts, QObject* parent = nullptr);
    ~Unattended() override;

    // Start-up, before the tick starts: the two switches from their settings files, and the hold.
    void load();
    // 按系统秒打铃 from its settings file again, after something other than the menu wrote it.
    void readOnTheSecond();

    // For the features that come with their own events (broadcast, power-off) to record them.
    History& history() const { return *history_; }
    const QString& nextText() const { return nextText_; }
    // What rings next when today is silent (the table rings nothing): a chooser of tables that looks
    // beyond today tells it, "下一项 10月8日 7:55:00 预备铃".
    void setSilentDayNext(std::function<QString()> next) { silentDayNext_ = std::move(next); }

private:
    struct Pending {
        QDateTime when;
        HistoryKind kind = HistoryKind::Entry;
        QString what;
    };
    // A sound waits for its player: done when it played to its end, gave way to another sound or
    // played long enough without failing; failed when the player said it could not.
    struct PendingSound {
        Pending event;
        Media* player = nullptr;
        QString file;
    };

    void wireHistory();
    void wireOutcomes();
    void entryFired(const QString& entry, bool started);
    void settle(const Pending& event, Outcome outcome, const QString& reason = QString());
    void expectSound(Media& player, const Pending& event);
    void soundEnded(Media* player, Outcome outcome, const QString& reason = QString());
    void settleSounds();
    void powerSettled(PowerAction kind, PowerOff::Result result, const QString& reason);
    void radioSwitched(const QString& failure);
    void wireMenus();
    void showNext();
    void cueNextTone();
    void tableChanged();
    void notifyFailure(const HistoryEvent& event);
    void setOnTheSecond(bool on);
    void reportUnsaved(QAction& item, bool kept, const QString& path);
    void openHistory();

    UnattendedParts parts_;
    std::unique_ptr<History> history_;
    KeepAwake* keepAwake_;
    QPointer<HistoryWindow> historyWindow_;
    QString nextText_;
    std::function<QString()> silentDayNext_;
    quint64 tableGeneration_ = 0;
    QList<ToneFallback*> fallbacks_;  // of the tone and the chime player
    bool trayQuiet_ = false;          // while a failure already told on the tray is recorded
    QList<PendingSound> sounds_;
    std::array<QList<Pending>, 3> powerOffs_;
    std::deque<Pending> radios_;
};

}  // namespace quel
