#pragma once

#include <QDateTime>
#include <QTime>

#include "schedule/program_clock.h"

namespace quel {

// Tick intervals the steering chooses between. A tick always advances the program clock by one second,
// so a shorter period lets it catch up with the system clock and a longer one lets the system catch up.
inline constexpr int kCatchUpIntervalMs = 800;
inline constexpr int kHoldBackIntervalMs = 1300;
// The pace of a fresh installation, and the pace used when a stored interval is unusable.
inline constexpr int kDefaultIntervalMs = 1000;

// The tick interval for the next period. Only minute and second are compared, so a whole-hour change of
// the system clock (daylight saving) leaves the pace alone; `before` is the program clock as it was
// before this tick advanced it. When the two agree the interval stays `current`.
int steeredInterval(const QTime& system, const ProgramClock& before, int current);

// The program clock one second later; 23:59:59 wraps to 0:00:00.
ProgramClock nextSecond(const ProgramClock& clock);

// The date of the moment the program clock names: the day, of yesterday, today and tomorrow, on which
// the clock's time of day lies nearest to the system's `now`. Around midnight the program clock may
// already read 0:00:00 while the system still shows 23:59:59.x (or the other way round); an entry of
// that second belongs to the program clock's day.
QDate programDate(const QDateTime& now, const ProgramClock& clock);

// The program clock reading the given time of day, to the whole second.
ProgramClock programClockAt(const QTime& time);

}  // namespace quel
