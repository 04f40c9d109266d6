#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <functional>

#include "engine/program_clock.h"

class QTimer;

namespace quel {

class Clock;
class Launcher;
class Responses;

// The scheduler's main loop. Each tick steers the timer's pace, advances the program clock by one
// second, lets the hourly chime look at it, and carries out the first schedule entry due at that second;
// a tick that fires nothing runs the alarm step and rewrites the status line. The main window owns it.
class ClockTick : public QObject {
    Q_OBJECT

public:
    ClockTick(Clock& clock, Launcher& launcher, Responses& responses, QObject* parent = nullptr);

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

private:
    void dispatch(int entryIndex, const QString& response);
    void withTickOff(const std::function<void()>& action);

    Clock& systemClock_;
    Launcher& launcher_;
    Responses& responses_;
    QTimer* timer_;
    ProgramClock clock_;
    QString clockText_;
    QLocale locale_;
    QString timeFormat_;
};

}  // namespace quel
