#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "engine/program_clock.h"

class QTimer;

namespace quel {

class Clock;
class Launcher;
class Responses;

// The scheduler's main loop. Each tick steers the timer's pace, advances the program clock by one
// second, tells the hourly chime (`advanced`), and carries out the first schedule entry due at that
// second; a tick that fires nothing runs the alarm step (`quietSecond`) and rewrites the status line
// (`statusChanged`). The signals are emitted in that order, directly, from inside the tick.
class ClockTick : public QObject {
    Q_OBJECT

public:
    // `entries` are the sorted entries of the current table, owned and kept up to date by their table.
    ClockTick(Clock& clock, Launcher& launcher, const QStringList& entries, Responses& responses,
              QObject* parent = nullptr);

    // Start-up: the program clock reads the system time. The timer is not touched.
    void setProgramClockFromSystem();
    // A stored interval of zero or less would stop the scheduler or spin it; the default pace is used.
    void setInterval(int ms);
    int interval() const;
    bool isActive() const;
    void start();

    const ProgramClock& programClock() const { return clock_; }
    // The program clock as the last tick wrote it; empty before the first tick.
    const QString& clockText() const { return clockText_; }

    // Sets the program clock to the system clock at once and starts the timer's period anew, keeping its
    // interval. The clock text waits for the next tick, which advances the clock first.
    void justMyTime();

public slots:
    void tick();

signals:
    // Every tick, right after the clock advanced.
    void advanced(const ProgramClock& clock);
    // Ticks that fire no entry, before the status line.
    void quietSecond(const ProgramClock& clock);
    void statusChanged(const QString& line);

private:
    void dispatch(const QString& response);
    void withTickOff(const std::function<void()>& action);

    Clock& systemClock_;
    Launcher& launcher_;
    const QStringList& entries_;
    Responses& responses_;
    QTimer* timer_;
    ProgramClock clock_;
    QString clockText_;
    QLocale locale_;
    QString timeFormat_;
};

}  // namespace quel
