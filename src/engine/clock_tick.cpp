#include "engine/clock_tick.h"

#include <QPointer>
#include <QTimer>
#include <cstdlib>

#include "engine/next_entry.h"
#include "engine/recurrence.h"
#include "engine/responses.h"
#include "engine/status_line.h"
#include "engine/tick_rules.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/log.h"
#include "platform/wall_timer.h"
#include "schedule/entry_grammar.h"

namespace quel {

// "QT_LOGGING_RULES=quel.tick.debug=true" tells when each entry fired, to the millisecond.
Q_LOGGING_CATEGORY(lcTick, "quel.tick", QtWarningMsg)

ClockTick::ClockTick(Clock& clock, Launcher& launcher, Entries entries, Responses& responses, QObject* parent)
    : QObject(parent),
      systemClock_(clock),
      launcher_(launcher),
      entries_(std::move(entries)),
      responses_(responses),
      timer_(new QTimer(this)),
      locale_(QLocale::system()),
      timeFormat_(timeFormatWithSeconds(locale_)) {
    timer_->setObjectName(QStringLiteral("Timer1"));
    // A coarse timer may slip by up to 5 % of its interval, which the steering would keep correcting.
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kDefaultIntervalMs);
    connect(timer_, &QTimer::timeout, this, &ClockTick::tick);
}

void ClockTick::setProgramClockFromSystem() {
    const QDateTime now = systemClock_.now();
    clock_ = programClockAt(now.time());
    reading_ = momentOf(now.date(), clock_);
    passed_.start(*reading_);
    // The first look: a sleep or a step before the first tick counts too.
    sleepWatch_.slept(systemClock_.msecsSinceBoot(), systemClock_.msecsMonotonic());
    stepWatch_.look(now.toMSecsSinceEpoch(), systemClock_.msecsMonotonic());
}

void ClockTick::setInterval(int ms) {
    const int interval = ms > 0 ? ms : kDefaultIntervalMs;
    // On the second the aim sets the pace; the one chosen here waits for the steering's return.
    if (onTheSecond_)
        steeredInterval_ = interval;
    else
        timer_->setInterval(interval);
}

int ClockTick::interval() const {
    return timer_->interval();
}

bool ClockTick::isActive() const {
    return timer_->isActive();
}

void ClockTick::start() {
    timer_->start();
}

void ClockTick::justMyTime() {
    timer_->stop();
    const QDateTime now = systemClock_.now();
    const qint64 moment = momentOf(now.date(), programClockAt(now.time()));
    reportPassedOver(moment);
    setReading(moment);
    timer_->start();
}

void ClockTick::setOnTheSecond(bool on) {
    if (on == onTheSecond_)
        return;
    onTheSecond_ = on;
    catchingUp_ = false;
    if (on) {
        steeredInterval_ = timer_->interval();
        aimAtNextSecond();
    } else {
        if (wall_)
            wall_->stop();
        timer_->setInterval(steeredInterval_);
    }
}

void ClockTick::setWallTimer(WallTimer* wall) {
    if (wall_)
        disconnect(wall_, nullptr, this, nullptr);
    wall_ = wall;
    if (!wall_)
        return;
    connect(wall_, &WallTimer::rang, this, [this] {
        // The aimed timer tells whether the tick is on: a ring left over from before it was switched off
        // (a response running, the mode turned off) is no tick.
        if (onTheSecond_ && timer_->isActive())
            tick();
    });
    if (onTheSecond_)
        aimAtNextSecond();
}

void ClockTick::tick() {
    // A logoff may end the program from inside a response; nothing of this object is touched then.
    const QPointer<ClockTick> alive(this);
    // One reading of the system clock per tick: the steering, the dates of the entries and the status
    // line all speak of the same moment.
    const QDateTime now = systemClock_.now();
    if (beforeAdvance(now)) {
        clock_ = nextSecond(clock_);
        clockText_ = clock_.text();
        day_ = programDate(now, clock_);
        reading_ = momentOf(day_, clock_);
        // After the clock was set back, the seconds it passed already stay silent.
        const bool fresh = !passed_.passed(*reading_);
        if (fresh)
            emit advanced(clock_);
        if (fresh && fire(now, day_)) {
            if (!alive)
                return;
        } else {
            emit quietSecond(clock_);
            emit statusChanged(
                statusLine(now, clockText_, systemClock_.msecsSinceBoot(), locale_, timeFormat_));
        }
        emit secondDone(clock_, day_);
    }
    if (onTheSecond_)
        aimAtNextSecond();
}

bool ClockTick::beforeAdvance(const QDateTime& now) {
    const qint64 monotonic = systemClock_.msecsMonotonic();
    const bool slept = sleepWatch_.slept(systemClock_.msecsSinceBoot(), monotonic);
    // Epoch time: a change of time zone or daylight saving is no step of the clock.
    const StepWatch::Look look = stepWatch_.look(now.toMSecsSinceEpoch(), monotonic);
    const int offset = offsetSeconds(now.time(), clock_);
    if (slept || offByWholeHours(offset)) {
        resync(now, slept ? ResyncReason::Slept : ResyncReason::WholeHours);
        return true;
    }
    if (!onTheSecond_) {
        // The steering mends a step of minutes slowly; whoever waits for a bell must know for how long.
        if (std::abs(look.stepMs) >= kStepSaidSeconds * 1000 && std::abs(offset) >= kStepSaidSeconds)
            emit stepped(offset, catchUpSeconds(offset));
        steer(now);
        return true;
    }
    // On the second, the clock read the second before the system's; the advance brings it level.
    const int lag = offset - 1;
    const bool wasCatchingUp = catchingUp_;
    catchingUp_ = false;
    if (lag == -1) {
        // A moment early (the system clock slewed, or the mode has just been turned on with the clock
        // ahead): the clock waits a second rather than read a second twice.
        return false;
    }
    // Late with the system clock running as it should: the program stalled (a swapping or busy
    // computer), and what it passed is rung late rather than lost. Only a step of the clock misses.
    if (lag > kMostSecondsCaughtUp && look.stepMs == 0) {
        if (wasCatchingUp)
            catchingUp_ = true;
        else
            catchUpAfterStall(now, lag);
        return true;
    }
    if (lag < 0 || lag > kMostSecondsCaughtUp) {
        resync(now, ResyncReason::Stepped);
        return true;
    }
    // A tick that came seconds late (a stalled computer) catches up second by second, without waiting.
    catchingUp_ = lag > 0;
    return true;
}

void ClockTick::steer(const QDateTime& now) {
    const int steered = steeredInterval(now.time(), clock_, timer_->interval());
    // Setting an interval restarts the period; leave a running pace alone so it does not drift.
    if (steered != timer_->interval())
        timer_->setInterval(steered);
}

// As 校时 does, but inside the tick: the clock is set to the second before the system's, so that this
// tick's advance reads the system's second and carries out its entry on time.
void ClockTick::resync(const QDateTime& now, ResyncReason reason) {
    const ProgramClock from = clock_;
    const qint64 target = momentOf(now.date(), programClockAt(now.time()));
    reportPassedOver(target - 1);
    if (reading_)
        passed_.jumped(*reading_, target - 1);
    setReading(target - 1);
    emit resynced(from, programClockAt(now.time()), reason);
}

// The last minute is caught up second by second without waiting, ringing its entries late; what lies
// before it is missed, as after a step.
void ClockTick::catchUpAfterStall(const QDateTime& now, int lag) {
    if (lag > kMostSecondsRungLate) {
        const qint64 from = momentOf(now.date(), programClockAt(now.time())) - 1 - kMostSecondsRungLate;
        reportPassedOver(from);
        if (reading_)
            passed_.jumped(*reading_, from);
        setReading(from);
    }
    catchingUp_ = true;
    emit stalled(lag);
}

void ClockTick::setReading(qint64 moment) {
    reading_ = moment;
    clock_ = clockAtSecond(int(moment % kSecondsPerDay));
}

// Entries between what the clock read and `to` do not ring late: the history tells they were missed.
void ClockTick::reportPassedOver(qint64 to) {
    if (!reading_ || to <= *reading_)
        return;
    const QStringList entries = entries_();
    for (const MissedEntry& m : passedOver(entries, *reading_, to, passed_, dayRules_))
        emit missed(entries[m.index], dateTimeOfMoment(m.moment));
}

bool ClockTick::fire(const QDateTime& now, const QDate& day) {
    const DayRule rule = dayRule(day);
    if (rule.silent)
        return false;
    const int ringsAs = rule.ringsAs;
    const QStringList entries = entries_();
    for (const QString& entry : entries) {
        if (const std::optional<QString> response = dueResponse(entry, clockText_, day, ringsAs)) {
            qCDebug(lcTick).noquote()
                << "fires" << clockText_ << "at" << now.toString(QStringLiteral("HH:mm:ss.zzz"));
            // Only the first entry due in a second is carried out; the rest of the tick is skipped.
            // The entry is copied: a response may open another table.
            const QString firedEntry = entry;
            const ResponseKind kind = responseKind(*response);
            if (hold_ && hold_(kind)) {
                emit held(firedEntry);
                return true;
            }
            if (skipNextBell_ && kind == ResponseKind::Tone) {
                skipNextBell_ = false;
                emit skipped(firedEntry);
                return true;
            }
            const QPointer<ClockTick> alive(this);
            const bool started = dispatch(*response);
            if (alive)
                emit fired(firedEntry, started);
            return true;
        }
    }
    return false;
}

void ClockTick::aimAtNextSecond() {
    constexpr int kMsecsPerSecond = 1000;
    // A fresh look at the clock: the response of this tick may have taken a while.
    const QDateTime now = systemClock_.now();
    const int msec = now.time().msec();
    timer_->setInterval(catchingUp_ ? kCatchUpDelayMs : kMsecsPerSecond - msec + kAimAfterSecondMs);
    if (wall_ && !catchingUp_)
        wall_->ringAt((now.toMSecsSinceEpoch() / kMsecsPerSecond + 1) * kMsecsPerSecond);
}

// The responses that must not be entered twice run with the tick switched off. Each of them finishes
// its work before returning, so switching the tick back on here is the same as the response doing it
// as its last step, and spares every response the knowledge of this timer. Stopping and starting
// begins a fresh period.
void ClockTick::withTickOff(const std::function<void()>& action) {
    timer_->stop();
    // A logoff may end the program from inside the action; do not touch a timer that has gone.
    const QPointer<ClockTick> alive(this);
    action();
    if (alive)
        timer_->start();
}

bool ClockTick::dispatch(const QString& response) {
    bool started = true;
    const ParsedResponse parsed = parseResponse(response);
    switch (parsed.kind) {
        case ResponseKind::BroadcastStaticOn:
        case ResponseKind::BroadcastDynamicOn: {
            const PlayOrder order =
                parsed.kind == ResponseKind::BroadcastDynamicOn ? PlayOrder::Shuffled : PlayOrder::Stored;
            withTickOff([&] { responses_.broadcastOn(parsed.payload, order); });
            break;
        }
        case ResponseKind::BroadcastOff:
            withTickOff([&] { responses_.broadcastOff(); });
            break;
        case ResponseKind::RadioOn:
            responses_.radio(true);
            break;
        case ResponseKind::RadioOff:
            responses_.radio(false);
            break;
        case ResponseKind::Shutdown:
            withTickOff([&] { responses_.powerOff(PowerAction::Shutdown); });
            break;
        case ResponseKind::Restart:
            withTickOff([&] { responses_.powerOff(PowerAction::Restart); });
            break;
        case ResponseKind::Logoff:
            withTickOff([&] { responses_.powerOff(PowerAction::Logoff); });
            break;
        case ResponseKind::JustMyTime:
            justMyTime();
            break;
        case ResponseKind::RunProgram:
            // A program that has gone is the operator's business; the schedule goes on.
            withTickOff([&] { started = launcher_.run(parsed.payload); });
            break;
        case ResponseKind::OpenTable:
            withTickOff([&] { responses_.openTableByResponse(parsed.payload); });
            break;
        case ResponseKind::SayTimeMale:
            withTickOff([&] { responses_.sayTime(Voice::Male, clock_); });
            break;
        case ResponseKind::SayTimeFemale:
            withTickOff([&] { responses_.sayTime(Voice::Female, clock_); });
            break;
        case ResponseKind::Tone:
            withTickOff([&] { responses_.playTone(parsed.payload); });
            break;
    }
    return started;
}

}  // namespace quel
