#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "platform/settings_store.h"
#include "power/power_rules.h"
#include "schedule/vocabulary.h"

class QTimer;

namespace quel {

class Files;
class Power;

// Shut.txt, Restart.txt or Logoff.txt.
const QString& powerSettingsFile(PowerAction kind);
// 关机, 重启 or 注销.
QString powerActionName(PowerAction kind);

// Shutdown, restart and logoff as the schedule asks for them: at once when the kind's setting is 关,
// otherwise after a confirmation window that counts down and can be cut short or cancelled. It holds
// the three settings and the state of the three windows, one per kind; the windows only show it.
//
// The program ends only after the system accepted a logoff, or a shutdown asked for from its window;
// a refused request leaves the schedule running and shows the refusal in the window.
class PowerOff : public QObject {
    Q_OBJECT
public:
    enum class State {
        Closed,      // no window
        Counting,    // the window counts down
        Requesting,  // the request is out; waiting for the system's answer
        Failed,      // the system refused; the window shows why, and 立即… tries again
        Done,        // the system accepted; the window stays, no longer counting
    };
    enum class Result {
        Accepted,   // the system took the request
        Cancelled,  // the window was closed before a request went out
        Refused,    // the system said no
    };
    struct Countdown {
        State state = State::Closed;
        PowerCountdown count;
        QString error;
    };

    PowerOff(Power& power, Files& files, QString programFolder, QObject* parent = nullptr);

    // Start-up: Shut.txt, Restart.txt and Logoff.txt as they are (a damaged value counts 60 seconds).
    void load();
    const QString& setting(PowerAction kind) const;
    // Writes the kind's settings file first; the running setting changes only when that succeeded.
    bool changeSetting(PowerAction kind, const QString& setting);

    // A 关机, 重启 or 注销 entry fired. While the kind's window is open it is only brought forward and
    // keeps its count.
    void powerOff(PowerAction kind);
    // A request without a window, as the operator's 立即关机 asks for.
    void requestAtOnce(PowerAction kind);

    const Countdown& countdown(PowerAction kind) const;
    // Tests step the count themselves; the windows' one-second timers then stay off.
    void setAutomaticCount(bool on);

    // The window's one-second timer.
    void countOneSecond(PowerAction kind);
    // 立即…: the request at once, or again after a refusal.
    void actNow(PowerAction kind);
    // 取消… and the window's close box.
    void cancel(PowerAction kind);

signals:
    // The kind's window must open, show a new state or close.
    void changed(PowerAction kind);
    // A second firing: the open window comes forward.
    void raised(PowerAction kind);
    // The system accepted a request after which the program ends.
    void quitRequested();
    // The system refused a request (no login manager, not allowed); `reason` is its own word.
    void refused(PowerAction kind, const QString& reason);
    // How a power-off ended, once for each request answered and each counting window closed: accepted;
    // cancelled by the operator (no reason) or closed because the system took another power-off
    // (`reason` says which); refused, with the system's word.
    void settled(PowerAction kind, quel::PowerOff::Result result, const QString& reason);

private:
    struct Kind {
        QString setting;
        Countdown countdown;
        QTimer* timer = nullptr;
        // Counts the windows opened, so that a late answer never reaches a later window.
        quint64 window = 0;
    };
    Kind& kind(PowerAction action) { return kinds_[static_cast<int>(action)]; }
    const Kind& kind(PowerAction action) const { return kinds_[static_cast<int>(action)]; }
    void close(PowerAction action, const QString& reason);
    void request(PowerAction action, bool interactive);
    void send(PowerAction action, bool interactive, std::optional<quint64> window);
    void answered(PowerAction action, std::optional<quint64> window, bool ok, const QString& error);

    Power& power_;
    SettingsStore settings_;
    bool automaticCount_ = true;
    std::array<Kind, 3> kinds_;
};

}  // namespace quel
