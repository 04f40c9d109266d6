#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>
#include <utility>

#include "engine/recurrence.h"
#include "schedule/program_clock.h"

namespace quel {

// What the tick does about a system clock that the steering cannot follow: a computer that slept, a
// clock set by whole hours (a hardware clock corrected after boot, a time-zone or daylight-saving
// change), or with the program clock on the system's second, any step at all.

enum class ResyncReason { Slept, WholeHours, Stepped };

// On the system's second each tick is aimed this long after the second turned, so that a timer a
// hair early or a clock slewed by the network still finds the new second.
inline constexpr int kAimAfterSecondMs = 2;
// A tick up to this many seconds late catches up second by second; a greater difference is a step of
// the system clock and re-syncs.
inline constexpr int kMostSecondsCaughtUp = 3;
inline constexpr int kCatchUpDelayMs = 1;

// A moment of the program clock: its day and second, counted in seconds, so that moments of
// different days compare and subtract without time-zone rules.
qint64 momentOf(const QDate& day, const ProgramClock& clock);
QDateTime dateTimeOfMoment(qint64 moment);

// Tells that the computer slept between two looks: the time since boot counts the sleep, the
// monotonic clock does not, so the first runs ahead of the second.
class SleepWatch {
public:
    bool slept(qint64 msecsSinceBoot, qint64 msecsMonotonic);

private:
    std::optional<qint64> lead_;
};

// Tells that the system clock was stepped between two looks (set by hand, or by a time service that
// corrects a wrong hardware clock after start-up): its time ran ahead of or behind the monotonic clock,
// which never jumps. A computer that slept parts them too; SleepWatch tells that apart first.
class StepWatch {
public:
    struct Look {
        qint64 stepMs = 0;       // how far the system clock jumped; 0 when it ran with the monotonic one
        qint64 sinceLastMs = 0;  // the monotonic time since the last look
    };
    Look look(qint64 msecsSinceEpoch, qint64 msecsMonotonic);

private:
    std::optional<qint64> lead_;
    std::optional<qint64> lastMonotonic_;
};

// Less than this between the clocks is their jitter and the network's slewing, not a step.
inline constexpr qint64 kStepThresholdMs = 1000;
// A step the steering mends in a minute or two goes unsaid; one of a minute or more is told, with how
// long the steering will take.
inline constexpr int kStepSaidSeconds = 60;
// On the system's second, entries a stalled tick passed ring late up to this long after their second;
// older ones count as missed.
inline constexpr int kMostSecondsRungLate = 60;

// The seconds the steering takes to bring a program clock `offsetSeconds` behind the system clock
// (negative: ahead of it) level with it, at the paces it chooses between.
int catchUpSeconds(int offsetSeconds);

// The system clock's time of day less the program clock's, in whole seconds, the short way round the
// day (-12 h exclusive to +12 h inclusive).
int offsetSeconds(const QTime& system, const ProgramClock& clock);
// Minute and second agree within a few seconds, the hour does not: the steering, which compares
// minute and second only, would never mend it.
bool offByWholeHours(int offsetSeconds);

// The moments the program clock has already passed, so that a clock set back rings nothing twice.
// A run is the span passed since start-up or the last jump.
class PassedMoments {
public:
    // The clock reads `moment`; its run begins with the next second.
    void start(qint64 moment);
    // The clock jumped from reading `from` to reading `to`.
    void jumped(qint64 from, qint64 to);
    bool passed(qint64 moment) const;

private:
    qint64 runStart_ = 0;
    QList<std::pair<qint64, qint64>> spans_;
};

// An entry passed over by a jump forward, and the moment it was due.
struct MissedEntry {
    qint64 moment = 0;
    qsizetype index = 0;
    bool operator==(const MissedEntry&) const = default;
};

// The entries the tick would have carried out at the moments after `from` up to `to`, apart from those
// it had passed already. A jump of more than a week reports its last week only.
// `rules` tells what each day rang as: a silent day missed nothing.
QList<MissedEntry> passedOver(const QStringList& entries, qint64 from, qint64 to, const PassedMoments& passed,
                              const std::function<DayRule(const QDate&)>& rules = {});

}  // namespace quel
