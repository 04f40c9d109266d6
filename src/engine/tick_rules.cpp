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

ProgramClock programClockAt(const QTime& time) {
    return {time.hour(), time.minute(), time.second()};
}

}  // namespace quel
