#include "engine/clock_watch.h"

#include <algorithm>
#include <cstdlib>

#include "engine/next_entry.h"
#include "engine/tick_rules.h"

namespace quel {

namespace {

constexpr int kSecondsPerHour = 60 * 60;
constexpr qint64 kMsecsPerSecond = 1000;
// Suspend is the only thing that makes the two clocks part; a second is far above their jitter.
constexpr qint64 kSleepThresholdMs = 1000;
// The steering keeps the program clock within about a second of the system clock; a few more allow
// for a correction by the network that came with the hours.
constexpr int kWholeHourToleranceSeconds = 5;
// The spans a clock set back could reach: a day each way and a little more.
constexpr qint64 kRememberedSeconds = 2 * kSecondsPerDay;
constexpr qint64 kLongestReportedJump = 7 * qint64(kSecondsPerDay);

}  // namespace

qint64 momentOf(const QDate& day, const ProgramClock& clock) {
    return day.toJulianDay() * kSecondsPerDay + secondOfDay(clock);
}

QDateTime dateTimeOfMoment(qint64 moment) {
    const QDate day = QDate::fromJulianDay(moment / kSecondsPerDay);
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(moment % kSecondsPerDay * kMsecsPerSecond)));
}

bool SleepWatch::slept(qint64 msecsSinceBoot, qint64 msecsMonotonic) {
    const qint64 lead = msecsSinceBoot - msecsMonotonic;
    const bool asleep = lead_ && lead - *lead_ > kSleepThresholdMs;
    lead_ = lead;
    return asleep;
}

StepWatch::Look StepWatch::look(qint64 msecsSinceEpoch, qint64 msecsMonotonic) {
    const qint64 lead = msecsSinceEpoch - msecsMonotonic;
    Look seen;
    if (lead_ && std::abs(lead - *lead_) > kStepThresholdMs)
        seen.stepMs = lead - *lead_;
    if (lastMonotonic_)
        seen.sinceLastMs = msecsMonotonic - *lastMonotonic_;
    lead_ = lead;
    lastMonotonic_ = msecsMonotonic;
    return seen;
}

int catchUpSeconds(int offsetSeconds) {
    // Each tick advances the program clock by a second: a period of 800 ms gains 0.25 s a second on
    // the system clock, one of 1300 ms loses 0.3 s in 1.3 s.
    const qint64 gainedPerTickMs =
        offsetSeconds > 0 ? kMsecsPerSecond * kMsecsPerSecond / kCatchUpIntervalMs - kMsecsPerSecond
                          : kMsecsPerSecond - kMsecsPerSecond * kMsecsPerSecond / kHoldBackIntervalMs;
    const qint64 offsetMs = std::abs(qint64(offsetSeconds)) * kMsecsPerSecond;
    return int(offsetMs / gainedPerTickMs);
}

int offsetSeconds(const QTime& system, const ProgramClock& clock) {
    int offset = system.msecsSinceStartOfDay() / int(kMsecsPerSecond) - secondOfDay(clock);
    if (offset > kSecondsPerDay / 2)
        offset -= kSecondsPerDay;
    if (offset <= -kSecondsPerDay / 2)
        offset += kSecondsPerDay;
    return offset;
}

bool offByWholeHours(int offsetSeconds) {
    const int hours = (std::abs(offsetSeconds) + kSecondsPerHour / 2) / kSecondsPerHour;
    return hours != 0 &&
           std::abs(std::abs(offsetSeconds) - hours * kSecondsPerHour) <= kWholeHourToleranceSeconds;
}

void PassedMoments::start(qint64 moment) {
    runStart_ = moment + 1;
    spans_.clear();
}

void PassedMoments::jumped(qint64 from, qint64 to) {
    if (from >= runStart_)
        spans_.append({runStart_, from});
    runStart_ = to + 1;
    // Spans long behind every moment the clock could be set back to no longer matter.
    spans_.removeIf([to](const std::pair<qint64, qint64>& s) { return s.second < to - kRememberedSeconds; });
}

bool PassedMoments::passed(qint64 moment) const {
    return std::any_of(spans_.begin(), spans_.end(), [moment](const std::pair<qint64, qint64>& s) {
        return s.first <= moment && moment <= s.second;
    });
}

QList<MissedEntry> passedOver(const QStringList& entries, qint64 from, qint64 to, const PassedMoments& passed,
                              const std::function<DayRule(const QDate&)>& rules) {
    QList<MissedEntry> missed;
    const qint64 first = std::max(from + 1, to - kLongestReportedJump + 1);
    for (qint64 dayStart = first - first % kSecondsPerDay; dayStart <= to; dayStart += kSecondsPerDay) {
        const QDate day = QDate::fromJulianDay(dayStart / kSecondsPerDay);
        const int lo = int(std::max(first, dayStart) - dayStart);
        const int hi = int(std::min(to, dayStart + kSecondsPerDay - 1) - dayStart);
        const DayRule rule = rules ? rules(day) : DayRule{};
        if (rule.silent)
            continue;
        for (const DueEntry& due : dueBetween(entries, day, lo, hi, rule.ringsAs)) {
            if (!passed.passed(dayStart + due.second))
                missed.append({dayStart + due.second, due.index});
        }
    }
    return missed;
}

}  // namespace quel
