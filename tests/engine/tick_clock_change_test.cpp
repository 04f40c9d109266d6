// The tick when the system clock or the computer does what the steering cannot follow: a computer that
// slept, a clock set by whole hours, and the steps of ten minutes the steering has always mended.

#include <QTest>

#include "engine/clock_tick.h"
#include "engine/clock_watch.h"
#include "fakes/fake_platform.h"
#include "fakes/quiet_responses.h"
#include "platform/wall_timer.h"

using namespace quel;
using quel::fakes::FakeClock;
using quel::fakes::FakeLauncher;

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kHourMs = 60 * kMinuteMs;
const QDate kWednesday(2026, 12, 2);

// Stall: the tick's timer fires late, the clocks run together, as when the program hung for a while.
enum class Change { Sleep, Step, Stall };

// Notes what fired and what was missed as "<day> <time>", the day counted from the start: "1 8:00:15".
class Recorder final : public fakes::QuietResponses {
public:
    explicit Recorder(const FakeClock& clock) : clock_(clock) {}
    void playTone(const QString& time) override {
        fired << dayAndTime(tick->programDay(), time);
        const qint64 due = QDateTime(tick->programDay(), QTime::fromString(time, QStringLiteral("H:mm:ss")))
                               .msecsTo(clock_.now());
        latestLateMs = std::max(latestLateMs, std::abs(due));
    }
    static QString dayAndTime(const QDate& day, const QString& time) {
        return QString::number(kWednesday.daysTo(day)) + QLatin1Char(' ') + time;
    }

    ClockTick* tick = nullptr;
    QStringList fired;
    QStringList missed;
    QList<ResyncReason> resyncs;
    qint64 latestLateMs = 0;  // of the firings after the change

private:
    const FakeClock& clock_;
};

// Rings when the test says; remembers the moment it was asked to ring at, or -1 once stopped.
class HandWallTimer final : public WallTimer {
public:
    void ringAt(qint64 msecsSinceEpoch) override { armedAt = msecsSinceEpoch; }
    void stop() override { armedAt = -1; }
    void ring() {
        armedAt = -1;
        emit rang();
    }
    qint64 armedAt = -1;
};

}  // namespace

class TickClockChangeTest : public QObject {
    Q_OBJECT

private slots:
    void afterTheChange_data();
    void afterTheChange();
    void aShortSleepReSyncsToo();
    void passedSecondsStaySilentForChimeButNotForTheAlarmStep();
    void theModeOnTheSecondAimsAtTheSecondAndHoldsAnEarlyTick();
    void theWallTimerRingsTheSecondWhileTheTickIsOn();
    void turnedOffTheSteeringResumesWithItsPace();
    void justMyTimeReportsWhatItPassesOver();
    void aStepTheSteeringFollowsIsToldOnce_data();
    void aStepTheSteeringFollowsIsToldOnce();
    void onTheSecondAStallRingsLateAndOnlyAStepMisses_data();
    void onTheSecondAStallRingsLateAndOnlyAStepMisses();
};

void TickClockChangeTest::afterTheChange_data() {
    QTest::addColumn<QTime>("start");
    QTest::addColumn<Change>("change");
    QTest::addColumn<qint64>("byMs");
    QTest::addColumn<qint64>("runAfterMs");
    QTest::addColumn<bool>("onTheSecond");
    QTest::addColumn<QStringList>("table");  // "time attribute", every entry a tone named by its time
    QTest::addColumn<QStringList>("fired");
    QTest::addColumn<QStringList>("missed");
    QTest::addColumn<int>("resyncReason");  // -1: no re-sync

    const qint64 run = kMinuteMs;
    const int slept = int(ResyncReason::Slept);
    const int hours = int(ResyncReason::WholeHours);
    const int stepped = int(ResyncReason::Stepped);
    // Each change comes twenty seconds after the start.
    QTest::addRow("eleven hours asleep overnight: the night's entries are missed, the morning's ring")
        << QTime(20, 59, 40) << Change::Sleep << 11 * kHourMs << run << false
        << QStringList{"20:59:55 每天",  "21:00:05 每天", "23:59:59 每天",
                       "0:00:00 星期四", "7:59:59 每天",  "8:00:35 每天"}
        << QStringList{"0 20:59:55", "1 8:00:35"}
        << QStringList{"0 21:00:05", "0 23:59:59", "1 0:00:00", "1 7:59:59"} << slept;
    QTest::addRow("set forward by two hours")
        << QTime(8, 9, 40) << Change::Step << 2 * kHourMs << run << false
        << QStringList{"8:09:55 每天", "8:10:05 每天", "9:00:00 每天", "10:10:35 每天"}
        << QStringList{"0 8:09:55", "0 10:10:35"} << QStringList{"0 8:10:05", "0 9:00:00"} << hours;
    QTest::addRow("set back by two hours: what rang does not ring again, what never rang does")
        << QTime(9, 59, 40) << Change::Step << -2 * kHourMs << 2 * kHourMs + run << false
        << QStringList{"8:30:00 每天", "9:59:55 每天", "10:00:45 每天"}
        << QStringList{"0 9:59:55", "0 8:30:00", "0 10:00:45"} << QStringList{} << hours;
    QTest::addRow("set forward by eight hours")
        << QTime(7, 59, 40) << Change::Step << 8 * kHourMs << run << false
        << QStringList{"12:00:00 每天", "16:00:35 每天"} << QStringList{"0 16:00:35"}
        << QStringList{"0 12:00:00"} << hours;
    QTest::addRow("set back by eight hours across midnight: yesterday's evening rings by yesterday's date")
        << QTime(3, 59, 40) << Change::Step << -8 * kHourMs << 8 * kHourMs + run << false
        << QStringList{"3:59:55 每天", "20:00:35 星期二", "23:59:59 每天", "0:00:00 每天"}
        << QStringList{"0 3:59:55", "-1 20:00:35", "-1 23:59:59", "0 0:00:00"} << QStringList{} << hours;
    QTest::addRow("set forward by two hours across midnight: the new day's dates are missed too")
        << QTime(23, 29, 40) << Change::Step << 2 * kHourMs << run << false
        << QStringList{"23:45:00 每天", "0:00:00 2026年12月3日", "1:30:35 每天"} << QStringList{"1 1:30:35"}
        << QStringList{"0 23:45:00", "1 0:00:00"} << hours;
    QTest::addRow("ten minutes forward: the steering catches up and misses nothing")
        << QTime(8, 9, 40) << Change::Step << 10 * kMinuteMs << kHourMs << false
        << QStringList{"8:15:00 每天", "8:25:00 每天"} << QStringList{"0 8:15:00", "0 8:25:00"}
        << QStringList{} << -1;
    QTest::addRow("ten minutes back: the steering waits and rings nothing twice")
        << QTime(8, 19, 40) << Change::Step << -10 * kMinuteMs << kHourMs << false
        << QStringList{"8:15:00 每天", "8:19:55 每天", "8:25:00 每天"}
        << QStringList{"0 8:19:55", "0 8:25:00"} << QStringList{} << -1;
    QTest::addRow("ten minutes forward on the system's second re-syncs")
        << QTime(8, 9, 40) << Change::Step << 10 * kMinuteMs << run << true
        << QStringList{"8:15:00 每天", "8:20:35 每天"} << QStringList{"0 8:20:35"} << QStringList{"0 8:15:00"}
        << stepped;
    QTest::addRow("ten minutes back on the system's second re-syncs and rings nothing twice")
        << QTime(8, 19, 40) << Change::Step << -10 * kMinuteMs << 11 * kMinuteMs << true
        << QStringList{"8:15:00 每天", "8:19:55 每天", "8:20:05 每天"}
        << QStringList{"0 8:19:55", "0 8:15:00", "0 8:20:05"} << QStringList{} << stepped;
}

void TickClockChangeTest::afterTheChange() {
    QFETCH(QTime, start);
    QFETCH(Change, change);
    QFETCH(qint64, byMs);
    QFETCH(qint64, runAfterMs);
    QFETCH(bool, onTheSecond);
    QFETCH(QStringList, table);
    QFETCH(QStringList, fired);
    QFETCH(QStringList, missed);
    QFETCH(int, resyncReason);

    FakeClock clock(QDateTime(kWednesday, start.addMSecs(300)), 3 * kHourMs);
    FakeLauncher launcher;
    Recorder rec(clock);
    for (const QString& row : table) {
        const QStringList parts = row.split(QLatin1Char(' '));
        rec.table << parts[0] + QStringLiteral("*c>") + parts[1] + QLatin1Char('<') + parts[0];
    }
    ClockTick tick(
        clock, launcher, [&] { return rec.table; }, rec);
    rec.tick = &tick;
    connect(&tick, &ClockTick::missed, this, [&](const QString& entry, const QDateTime& due) {
        rec.missed << Recorder::dayAndTime(due.date(), due.time().toString(QStringLiteral("H:mm:ss")));
        QVERIFY(entry.startsWith(due.time().toString(QStringLiteral("H:mm:ss*"))));
    });
    connect(&tick, &ClockTick::resynced, this,
            [&](const ProgramClock&, const ProgramClock&, ResyncReason r) { rec.resyncs << r; });
    tick.setProgramClockFromSystem();
    tick.setOnTheSecond(onTheSecond);
    tick.start();

    const QDateTime changeAt(kWednesday, start.addSecs(20));
    while (clock.now() < changeAt) {
        tick.tick();
        clock.advance(tick.interval());
    }
    if (change == Change::Sleep)
        clock.sleep(byMs);
    else
        clock.set(clock.now().addMSecs(byMs));
    rec.latestLateMs = 0;

    tick.tick();
    if (resyncReason >= 0) {
        // Right on the first tick after the change.
        QCOMPARE(tick.clockText(), clock.now().time().toString(QStringLiteral("H:mm:ss")));
        QCOMPARE(rec.resyncs, QList<ResyncReason>{ResyncReason(resyncReason)});
    }
    const QDateTime end = clock.now().addMSecs(runAfterMs);
    while (clock.now() < end) {
        clock.advance(tick.interval());
        tick.tick();
    }
    QCOMPARE(rec.fired, fired);
    QCOMPARE(rec.missed, missed);
    if (resyncReason < 0) {
        QCOMPARE(rec.resyncs.size(), 0);
    } else {
        QCOMPARE(rec.resyncs.size(), 1);
        // Once re-synced, every entry rings within a steering period of its second.
        QVERIFY2(rec.latestLateMs <= 1300, qPrintable(QString::number(rec.latestLateMs)));
    }
}

void TickClockChangeTest::aShortSleepReSyncsToo() {
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 300)));
    FakeLauncher launcher;
    Recorder rec(clock);
    rec.table << QStringLiteral("8:00:03*c>每天<8:00:03") << QStringLiteral("8:00:06*c>每天<8:00:06");
    ClockTick tick(
        clock, launcher, [&] { return rec.table; }, rec);
    rec.tick = &tick;
    connect(&tick, &ClockTick::resynced, this,
            [&](const ProgramClock&, const ProgramClock&, ResyncReason r) { rec.resyncs << r; });
    tick.setProgramClockFromSystem();
    tick.start();
    clock.advance(1000);
    tick.tick();  // 8:00:01
    // Four seconds of suspend: the steering would mend them by catching up, ringing 8:00:03 late.
    clock.sleep(4000);
    clock.advance(1000);
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:06"));
    QCOMPARE(rec.resyncs, QList<ResyncReason>{ResyncReason::Slept});
    QCOMPARE(rec.fired, QStringList{"0 8:00:06"});
}

void TickClockChangeTest::passedSecondsStaySilentForChimeButNotForTheAlarmStep() {
    FakeClock clock(QDateTime(kWednesday, QTime(9, 59, 58, 300)));
    FakeLauncher launcher;
    fakes::QuietResponses responses;
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    QStringList heard;
    connect(&tick, &ClockTick::advanced, this, [&](const ProgramClock& c) { heard << "chime " + c.text(); });
    connect(&tick, &ClockTick::quietSecond, this,
            [&](const ProgramClock& c) { heard << "alarm " + c.text(); });
    tick.setProgramClockFromSystem();
    tick.start();
    for (int i = 0; i < 3; ++i) {
        clock.advance(1000);
        tick.tick();  // 9:59:59, 10:00:00, 10:00:01
    }
    clock.set(clock.now().addSecs(-3600));  // the hour comes round again
    heard.clear();
    for (int i = 0; i < 3601; ++i) {
        clock.advance(1000);
        tick.tick();
    }
    // The hour struck once, before the change; the alarm step and the count-down go on every second.
    QCOMPARE(heard.filter(QStringLiteral("chime 10:00:0")), QStringList{"chime 10:00:02"});
    QCOMPARE(heard.filter(QStringLiteral("alarm 10:00:00")).size(), 1);
    QCOMPARE(heard.filter(QStringLiteral("alarm ")).size(), 3601);
}

void TickClockChangeTest::theModeOnTheSecondAimsAtTheSecondAndHoldsAnEarlyTick() {
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 640)));
    FakeLauncher launcher;
    fakes::QuietResponses responses;
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    tick.setProgramClockFromSystem();  // reads 8:00:00
    tick.start();
    tick.setOnTheSecond(true);
    QCOMPARE(tick.interval(), 1000 - 640 + kAimAfterSecondMs);
    clock.advance(tick.interval());  // the aim after 8:00:01
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:01"));
    QCOMPARE(tick.interval(), 1000);

    // Woken a hair before the second turned: the clock waits instead of reading 8:00:02 early.
    clock.advance(990);
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:01"));
    QCOMPARE(tick.interval(), 1000 - 990);
    clock.advance(tick.interval());
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:02"));

    // Two seconds late (a stalled computer): both seconds are read, the second without waiting.
    clock.advance(3000);  // just after 8:00:05
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:03"));
    QCOMPARE(tick.interval(), kCatchUpDelayMs);
    tick.tick();
    tick.tick();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:05"));
    QCOMPARE(tick.interval(), 1000);
}

void TickClockChangeTest::theWallTimerRingsTheSecondWhileTheTickIsOn() {
    // A broadcast whose start runs the event loop while the wall clock turns the second.
    struct SlowBroadcast final : fakes::QuietResponses {
        void broadcastOn(const QString&, PlayOrder) override {
            clock->advance(1000);
            wall.ring();
            ++started;
        }
        FakeClock* clock = nullptr;
        HandWallTimer wall;
        int started = 0;
    };
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 640)));
    FakeLauncher launcher;
    SlowBroadcast responses;
    responses.clock = &clock;
    responses.table = {QStringLiteral("8:00:02*b>每天<播音开-静态/srv/a.PLF")};
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    HandWallTimer& wall = responses.wall;
    tick.setWallTimer(&wall);
    QCOMPARE(wall.armedAt, -1);  // steered: the wall clock has no say
    tick.setProgramClockFromSystem();
    tick.start();
    tick.setOnTheSecond(true);
    const auto second = [](int s) { return QDateTime(kWednesday, QTime(8, 0, s)).toMSecsSinceEpoch(); };
    QCOMPARE(wall.armedAt, second(1));

    clock.advance(360);
    wall.ring();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:01"));
    QCOMPARE(wall.armedAt, second(2));
    QCOMPARE(tick.interval(), 1000 + kAimAfterSecondMs);  // the aimed timer stays behind it

    // A ring while a response runs is no tick: the response is not entered twice, nor a second lost.
    clock.advance(1000);
    wall.ring();
    QCOMPARE(responses.started, 1);
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:02"));
    QCOMPARE(wall.armedAt, second(4));
    tick.setOnTheSecond(false);
    QCOMPARE(wall.armedAt, -1);
    wall.ring();
    QCOMPARE(tick.clockText(), QStringLiteral("8:00:02"));
}

void TickClockChangeTest::turnedOffTheSteeringResumesWithItsPace() {
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 640)));
    FakeLauncher launcher;
    fakes::QuietResponses responses;
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    tick.setProgramClockFromSystem();
    tick.setInterval(kHoldBackIntervalMs);
    tick.start();
    tick.setOnTheSecond(true);
    QVERIFY(tick.interval() != kHoldBackIntervalMs);
    tick.setOnTheSecond(false);
    QCOMPARE(tick.interval(), kHoldBackIntervalMs);
    QVERIFY(tick.isActive());
}

void TickClockChangeTest::justMyTimeReportsWhatItPassesOver() {
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 300)));
    FakeLauncher launcher;
    Recorder rec(clock);
    rec.table << QStringLiteral("8:30:00*c>每天<8:30:00") << QStringLiteral("9:00:00*c>每天<9:00:00")
              << QStringLiteral("9:00:01*c>每天<9:00:01");
    ClockTick tick(
        clock, launcher, [&] { return rec.table; }, rec);
    rec.tick = &tick;
    connect(&tick, &ClockTick::missed, this, [&](const QString&, const QDateTime& due) {
        rec.missed << Recorder::dayAndTime(due.date(), due.time().toString(QStringLiteral("H:mm:ss")));
    });
    tick.setProgramClockFromSystem();
    tick.start();
    clock.set(QDateTime(kWednesday, QTime(9, 0, 0, 400)));
    tick.justMyTime();
    tick.tick();
    QCOMPARE(rec.missed, (QStringList{"0 8:30:00", "0 9:00:00"}));
    QCOMPARE(rec.fired, QStringList{"0 9:00:01"});
}

QTEST_GUILESS_MAIN(TickClockChangeTest)
#include "tick_clock_change_test.moc"

void TickClockChangeTest::aStepTheSteeringFollowsIsToldOnce_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<qint64>("byMs");
    QTest::addColumn<QStringList>("told");  // "offset catch-up", in seconds
    QTest::addRow("ten minutes forward: forty minutes to catch up")
        << Change::Step << 10 * kMinuteMs << QStringList{"600 2400"};
    QTest::addRow("ten minutes back: the held-back pace is slower")
        << Change::Step << -10 * kMinuteMs << QStringList{"-600 2597"};
    QTest::addRow("a minute forward") << Change::Step << kMinuteMs << QStringList{"60 240"};
    QTest::addRow("half a minute: mended soon enough to go unsaid")
        << Change::Step << 30 * 1000LL << QStringList{};
    QTest::addRow("whole hours re-sync at once instead") << Change::Step << 2 * kHourMs << QStringList{};
    QTest::addRow("a computer that slept re-syncs instead")
        << Change::Sleep << 10 * kMinuteMs << QStringList{};
}

void TickClockChangeTest::aStepTheSteeringFollowsIsToldOnce() {
    QFETCH(Change, change);
    QFETCH(qint64, byMs);
    QFETCH(QStringList, told);
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 300)));
    FakeLauncher launcher;
    fakes::QuietResponses responses;
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    QStringList heard;
    connect(&tick, &ClockTick::stepped, this,
            [&](int offset, int catchUp) { heard << QStringLiteral("%1 %2").arg(offset).arg(catchUp); });
    tick.setProgramClockFromSystem();
    tick.start();
    for (int i = 0; i < 5; ++i) {
        clock.advance(tick.interval());
        tick.tick();
    }
    if (change == Change::Sleep)
        clock.sleep(byMs);
    else
        clock.set(clock.now().addMSecs(byMs));
    // Told on the first tick after the step, and never again while the steering catches up.
    for (int i = 0; i < 600; ++i) {
        clock.advance(tick.interval());
        tick.tick();
        if (i == 0)
            QCOMPARE(heard, told);
    }
    QCOMPARE(heard, told);
}

void TickClockChangeTest::onTheSecondAStallRingsLateAndOnlyAStepMisses_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<qint64>("byMs");
    QTest::addColumn<QStringList>("fired");
    QTest::addColumn<QStringList>("missed");
    QTest::addColumn<QStringList>("stalls");
    // The table: an entry 5 s, 30 s and 80 s after the stall or step began, and one after it.
    QTest::addRow("stalled twelve seconds: the entry passed rings late")
        << Change::Stall << 12 * 1000LL << QStringList{"0 8:00:15", "0 8:00:40", "0 8:01:31"} << QStringList{}
        << QStringList{"11"};
    QTest::addRow("stalled ninety seconds: the last minute rings, the rest is missed")
        << Change::Stall << 90 * 1000LL << QStringList{"0 8:00:40", "0 8:01:31"} << QStringList{"0 8:00:15"}
        << QStringList{"89"};
    QTest::addRow("the clock stepped twelve seconds: missed, as any step")
        << Change::Step << 12 * 1000LL << QStringList{"0 8:00:40", "0 8:01:31"} << QStringList{"0 8:00:15"}
        << QStringList{};
}

void TickClockChangeTest::onTheSecondAStallRingsLateAndOnlyAStepMisses() {
    QFETCH(Change, change);
    QFETCH(qint64, byMs);
    QFETCH(QStringList, fired);
    QFETCH(QStringList, missed);
    QFETCH(QStringList, stalls);
    FakeClock clock(QDateTime(kWednesday, QTime(8, 0, 0, 300)));
    FakeLauncher launcher;
    Recorder rec(clock);
    rec.table << QStringLiteral("8:00:15*c>每天<8:00:15") << QStringLiteral("8:00:40*c>每天<8:00:40")
              << QStringLiteral("8:01:31*c>每天<8:01:31");
    ClockTick tick(
        clock, launcher, [&] { return rec.table; }, rec);
    rec.tick = &tick;
    QStringList heard;
    connect(&tick, &ClockTick::missed, this, [&](const QString&, const QDateTime& due) {
        rec.missed << Recorder::dayAndTime(due.date(), due.time().toString(QStringLiteral("H:mm:ss")));
    });
    connect(&tick, &ClockTick::stalled, this, [&](int late) { heard << QString::number(late); });
    tick.setProgramClockFromSystem();
    tick.setOnTheSecond(true);
    tick.start();
    while (clock.now().time() < QTime(8, 0, 10)) {
        clock.advance(tick.interval());
        tick.tick();
    }
    if (change == Change::Stall)
        clock.advance(byMs);
    else
        clock.set(clock.now().addMSecs(byMs));
    while (clock.now().time() < QTime(8, 2, 0)) {
        tick.tick();
        clock.advance(tick.interval());
    }
    QCOMPARE(rec.fired, fired);
    QCOMPARE(rec.missed, missed);
    QCOMPARE(heard, stalls);
}
