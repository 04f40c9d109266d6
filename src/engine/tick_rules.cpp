#include "engine/tick_rules.h"

namespace quel {

namespace {
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;
constexpr int kHoursPerDay = 24;
}  // namespace

int steeredInterval(const QTime& system, const ProgramClock& before, int current) {
    const int sys = system.minute() * kSecondsPerMinute + system.second();
    const int prog = before.minute * kSecondsPerMinute + before.second;
    if (sys > prog)
        return kCatchUpIntervalMs;
    if (sys < prog)
        return kHoldBackIntervalMs;
    return current;
}

ProgramClock nextSecond(const ProgramClock& clock) {
    ProgramClock next = clock;
    if (++next.second < kSecondsPerMinute)
        return next;
    next.second = 0;
    if (++next.minute < kMinutesPerHour)
        return next;
    next.minute = 0;
    next.hour = (next.hour + 1) % kHoursPerDay;
    return next;
}

QDate programDate(const QDateTime& now, const ProgramClock& clock) {
    constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;
    const qint64 clockMs = ((clock.hour * 60 + clock.minute) * 60 + clock.second) * 1000LL;
    const qint64 diff = clockMs - now.time().msecsSinceStartOfDay();
    // More than half a day apart on the same date means the nearer reading is on the neighbouring day.
    if (diff > kMsecsPerDay / 2)
        return now.date().addDays(-1);
    if (diff < -kMsecsPerDay / 2)
        return now.date().addDays(1);
    return now.date();
}

ProgramClock programClockAt(const QTime& time) {
    return {time.hour(), time.minute(), time.second()};
}

}  // namespace quel
