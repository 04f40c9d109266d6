#include "engine/clock_tick.h"

#include <QPointer>
#include <QTimer>

#include "engine/recurrence.h"
#include "engine/responses.h"
#include "engine/status_line.h"
#include "engine/tick_rules.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "schedule/entry_grammar.h"

namespace quel {

ClockTick::ClockTick(Clock& clock, Launcher& launcher, const QStringList& entries, Responses& responses,
                     QObject* parent)
    : QObject(parent),
      systemClock_(clock),
      launcher_(launcher),
      entries_(entries),
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
    clock_ = programClockAt(systemClock_.now().time());
}

void ClockTick::setInterval(int ms) {
    timer_->setInterval(ms > 0 ? ms : kDefaultIntervalMs);
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
    setProgramClockFromSystem();
    timer_->start();
}

void ClockTick::tick() {
    // One reading of the system clock per tick: the steering, the dates of the entries and the status
    // line all speak of the same moment.
    const QDateTime now = systemClock_.now();

    const int steered = steeredInterval(now.time(), clock_, timer_->interval());
    // Setting an interval restarts the period; leave a running pace alone so it does not drift.
    if (steered != timer_->interval())
        timer_->setInterval(steered);

    clock_ = nextSecond(clock_);
    clockText_ = clock_.text();
    emit advanced(clock_);

    const QDate today = programDate(now, clock_);
    for (const QString& entry : entries_) {
        if (const std::optional<QString> response = dueResponse(entry, clockText_, today)) {
            // Only the first entry due in a second is carried out; the rest of the tick is skipped.
            dispatch(*response);
            return;
        }
    }

    emit quietSecond(clock_);
    emit statusChanged(statusLine(now, clockText_, systemClock_.msecsSinceBoot(), locale_, timeFormat_));
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

void ClockTick::dispatch(const QString& response) {
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
            withTickOff([&] { launcher_.run(parsed.payload); });
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
}

}  // namespace quel
