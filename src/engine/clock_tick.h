#pragma once

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "engine/clock_watch.h"
#include "engine/tick_rules.h"
#include "schedule/entry_grammar.h"
#include "schedule/program_clock.h"

class QTimer;

namespace quel {

class Clock;
class Launcher;
class Responses;
class WallTimer;

// The scheduler's main loop. Each tick steers the timer's pace, advances the program clock by one
// second, tells the hourly chime (`advanced`), and carries out the first schedule entry due at that
// second; a tick that fires nothing runs the alarm step (`quietSecond`) and rewrites the status line
// (`statusChanged`). The signals are emitted in that order, directly, from inside the tick.
//
// Before it steers, the tick looks for what steering cannot mend: a computer that slept, or a system
// clock set by whole hours. Then it sets the program clock to the system clock at once; entries passed
// over are reported `missed`, and after a jump back the seconds already passed ring nothing again.
class ClockTick : public QObject {
    Q_OBJECT

public:
    // The sorted entries of the current table, asked for on each tick from whoever keeps the table (a
    // copy of the list is shared, not copied); the tick keeps no hold on its owner's members.
    using Entries = std::function<QStringList()>;
    ClockTick(Clock& clock, Launcher& launcher, Entries entries, Responses& responses,
              QObject* parent = nullptr);

    // Start-up: the program clock reads the system time. The timer is not touched.
    void setProgramClockFromSystem();
    // A stored interval of zero or less would stop the scheduler or spin it; the default pace is used.
    // On the system's second the interval is kept for when the steering takes over again.
    void setInterval(int ms);
    int interval() const;
    bool isActive() const;
    void start();

    const ProgramClock& programClock() const { return clock_; }
    // The day of the moment the program clock read at the last tick.
    const QDate& programDay() const { return day_; }
    // The program clock as the last tick wrote it; empty before the first tick.
    const QString& clockText() const { return clockText_; }

    // Sets the program clock to the system clock at once and starts the timer's period anew, keeping its
    // interval. The clock text waits for the next tick, which advances the clock first. Entries passed
    // over are reported `missed`; seconds it sets the clock back over ring again, as the operator's
    // calibration always did.
    void justMyTime();

    // On: every tick is aimed a few milliseconds after the system clock's second instead of steered,
    // so the program clock reads the system clock and entries fire on their second; a step of the
    // system clock re-syncs at once. Off: the steering takes over again from the interval it had.
    void setOnTheSecond(bool on);
    bool onTheSecond() const { return onTheSecond_; }
    // On the second, this rings the tick when the system clock turns the second; the aimed timer stays
    // behind it, should it not ring. Unset, the aimed timer alone rings the tick.
    void setWallTimer(WallTimer* wall);

    // Asked before an entry due now is carried out: true holds it back (`held`), as the emergency
    // broadcast does with everything that would sound. Unset, nothing is held.
    void setHold(std::function<bool(ResponseKind)> hold) { hold_ = std::move(hold); }
    // The next tone entry due is passed over (`skipped`); the one after it rings as usual.
    void skipNextBell() { skipNextBell_ = true; }
    bool skippingNextBell() const { return skipNextBell_; }
    // What each day rings as, asked for the day of every tick and for each day a jump passed over;
    // unset, every day rings as itself.
    void setDayRules(std::function<DayRule(const QDate&)> rules) { dayRules_ = std::move(rules); }
    DayRule dayRule(const QDate& day) const { return dayRules_ ? dayRules_(day) : DayRule{}; }

public slots:
    void tick();

signals:
    // Every tick, right after the clock advanced to a second it had not passed before.
    void advanced(const ProgramClock& clock);
    // Ticks that fire no entry, before the status line.
    void quietSecond(const ProgramClock& clock);
    void statusChanged(const QString& line);
    // An entry was carried out; `started` is false when the program it names could not be started.
    void fired(const QString& entry, bool started);
    // An entry passed over when the program clock jumped forward, and when it was due.
    void missed(const QString& entry, const QDateTime& due);
    // An entry due now that was held back, or passed over as the skipped bell; it does not ring late.
    void held(const QString& entry);
    void skipped(const QString& entry);
    // The program clock was set to the system clock without the operator asking.
    void resynced(const ProgramClock& from, const ProgramClock& to, ResyncReason reason);
    // The system clock was stepped by a minute or more, and the steering follows: the program clock now
    // lies `offsetSeconds` behind it (negative: ahead) and will be level in about `catchUpSeconds`.
    void stepped(int offsetSeconds, int catchUpSeconds);
    // On the system's second, a tick came `lateSeconds` late because the program stalled; the entries
    // it passed ring now, those more than a minute late are missed.
    void stalled(int lateSeconds);
    // Every tick, last: the program clock and the day of the moment it reads.
    void secondDone(const ProgramClock& clock, const QDate& day);

private:
    // False when this tick must not advance the clock.
    bool beforeAdvance(const QDateTime& now);
    void catchUpAfterStall(const QDateTime& now, int lag);
    void steer(const QDateTime& now);
    void resync(const QDateTime& now, ResyncReason reason);
    void setReading(qint64 moment);
    void reportPassedOver(qint64 to);
    bool fire(const QDateTime& now, const QDate& day);
    void aimAtNextSecond();
    bool dispatch(const QString& response);
    void withTickOff(const std::function<void()>& action);

    Clock& systemClock_;
    Launcher& launcher_;
    Entries entries_;
    Responses& responses_;
    QTimer* timer_;
    WallTimer* wall_ = nullptr;
    ProgramClock clock_;
    QString clockText_;
    // The moment the program clock reads, once it has been set.
    std::optional<qint64> reading_;
    QDate day_;
    std::function<DayRule(const QDate&)> dayRules_;
    SleepWatch sleepWatch_;
    StepWatch stepWatch_;
    PassedMoments passed_;
    bool onTheSecond_ = false;
    bool catchingUp_ = false;
    std::function<bool(ResponseKind)> hold_;
    bool skipNextBell_ = false;
    // The pace the steering had when the ticks went on the second, for when they come off it.
    int steeredInterval_ = kDefaultIntervalMs;
    QLocale locale_;
    QString timeFormat_;
};

}  // namespace quel
