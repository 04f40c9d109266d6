#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

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
    void wireHistory();
    void wireMenus();
    void showNext();
    void tableChanged();
    void notifyFailure(const HistoryEvent& event);
    void setOnTheSecond(bool on);
    void openHistory();

    UnattendedParts parts_;
    std::unique_ptr<History> history_;
    KeepAwake* keepAwake_;
    QPointer<HistoryWindow> historyWindow_;
    QString nextText_;
    std::function<QString()> silentDayNext_;
    quint64 tableGeneration_ = 0;
    QList<ToneFallback*> fallbacks_;  // of the tone and the chime player
};

}  // namespace quel
