#include <QTest>
#include <map>
#include <vector>

#include "engine/clock_tick.h"
#include "engine/clock_watch.h"
#include "engine/next_entry.h"
#include "engine/responses.h"
#include "engine/tick_rules.h"
#include "fakes/fake_platform.h"

using namespace quel;
using quel::fakes::FakeClock;
using quel::fakes::FakeLauncher;

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kHourMs = 60 * kMinuteMs;
constexpr qint64 kDayMs = 24 * kHourMs;

// Keeps only what the soak checks: the moments the program clock read, and which tone fired when.
class SoakResponses final : public Responses {
public:
    void broadcastOn(const QString&, PlayOrder) override { unexpected = true; }
    void broadcastOff() override { unexpected = true; }
    void radio(bool) override { unexpected = true; }
    void powerOff(PowerAction) override { unexpected = true; }
    void openTableByResponse(const QString&) override { unexpected = true; }
    void sayTime(Voice, const ProgramClock&) override { unexpected = true; }
    void playTone(const QString& path) override {
        fired[path].push_back(momentOf(tick->programDay(), tick->programClock()));
        lateMs.push_back(clock->now().time().msecsSinceStartOfDay() -
                         secondOfDay(tick->programClock()) * 1000);
        nearChange.push_back(resyncedThisTick || clock->msecsSinceBoot() - lastChangeMs < kNearChangeMs);
    }

    QStringList table;
    ClockTick* tick = nullptr;
    const FakeClock* clock = nullptr;
    std::vector<qint64> moments;                    // the moment the clock read, per tick that advanced
    std::map<QString, std::vector<qint64>> fired;   // tone -> moments
    std::map<QString, std::vector<qint64>> missed;  // entry time -> moments
    std::vector<ResyncReason> resyncs;
    std::vector<qint64> lateMs;    // system time of a firing less its second
    std::vector<bool> nearChange;  // per firing: on the tick of a re-sync, or seconds after a change
    bool resyncedThisTick = false;
    qint64 lastChangeMs = 0;
    static constexpr qint64 kNearChangeMs = 5000;
    bool unexpected = false;
};

struct ClockChange {
    QDateTime when;  // system time at which the operator (or a time service) changes the clock
    qint64 byMs;
};

}  // namespace

class TickSoakTest : public QObject {
    Q_OBJECT

private slots:
    void sevenDaysWithClockChanges_data();
    void sevenDaysWithClockChanges();
};

void TickSoakTest::sevenDaysWithClockChanges_data() {
    QTest::addColumn<bool>("onTheSecond");
    QTest::addColumn<int>("resyncs");
    // Steered, only the two whole-hour changes re-sync; the steering mends the rest as it always did.
    QTest::addRow("steered") << false << 2;
    // On the second, every change but the small step re-syncs at once.
    QTest::addRow("on the system's second") << true << 6;
}

void TickSoakTest::sevenDaysWithClockChanges() {
    QFETCH(bool, onTheSecond);
    QFETCH(int, resyncs);
    const QDate wednesday(2026, 12, 2);
    FakeClock systemClock(QDateTime(wednesday, QTime(7, 59, 50, 437)), 3 * kHourMs);
    FakeLauncher launcher;
    SoakResponses responses;
    // Every-day entries land in the spans the clock changes skip or repeat, at midnight and just before.
    const QStringList everyDay = {QStringLiteral("0:00:00"),  QStringLiteral("8:15:00"),
                                  QStringLiteral("8:22:30"),  QStringLiteral("9:00:00"),
                                  QStringLiteral("12:34:56"), QStringLiteral("14:30:00"),
                                  QStringLiteral("23:50:00"), QStringLiteral("23:59:59")};
    for (const QString& t : everyDay)
        responses.table << t + QStringLiteral("*c>每天<tone ") + t;
    responses.table << QStringLiteral("9:30:00*c>星期三<tone Wednesday");

    const std::vector<ClockChange> changes = {
        {QDateTime(wednesday, QTime(8, 10, 0)), 10 * kMinuteMs},               // forward: catch up
        {QDateTime(wednesday.addDays(1), QTime(8, 20, 0)), -10 * kMinuteMs},   // back: wait
        {QDateTime(wednesday.addDays(2), QTime(14, 0, 0)), kHourMs},           // a whole hour
        {QDateTime(wednesday.addDays(3), QTime(15, 0, 0)), -kHourMs},          // and back
        {QDateTime(wednesday.addDays(4), QTime(8, 55, 0)), 10 * kMinuteMs},    // forward across the hour
        {QDateTime(wednesday.addDays(5), QTime(23, 55, 0)), -10 * kMinuteMs},  // back across midnight
        {QDateTime(wednesday.addDays(6), QTime(8, 59, 59, 500)), 2 * 1000},    // a small step at the hour
    };

    ClockTick tick(
        systemClock, launcher, [&] { return responses.table; }, responses);
    responses.tick = &tick;
    responses.clock = &systemClock;
    connect(&tick, &ClockTick::secondDone, this,
            [&](const ProgramClock& c, const QDate& day) { responses.moments.push_back(momentOf(day, c)); });
    connect(&tick, &ClockTick::missed, this, [&](const QString& entry, const QDateTime& due) {
        responses.missed[entry.left(entry.indexOf(QLatin1Char('*')))].push_back(
            momentOf(due.date(), programClockAt(due.time())));
    });
    connect(&tick, &ClockTick::resynced, this, [&](const ProgramClock&, const ProgramClock&, ResyncReason r) {
        responses.resyncs.push_back(r);
        responses.resyncedThisTick = true;
    });
    tick.setProgramClockFromSystem();
    tick.setOnTheSecond(onTheSecond);
    tick.start();

    const qint64 endMs = systemClock.msecsSinceBoot() + 7 * kDayMs;
    size_t nextChange = 0;
    qint64 lastChangeMs = systemClock.msecsSinceBoot();
    // Slow enough to take a while, the steering closes any offset below half an hour within five hours,
    // and a clock slowed across the hour falls a whole hour behind within four.
    constexpr qint64 kSettleMs = 5 * kHourMs;
    while (systemClock.msecsSinceBoot() < endMs) {
        if (nextChange < changes.size() && systemClock.now() >= changes[nextChange].when) {
            systemClock.set(systemClock.now().addMSecs(changes[nextChange].byMs));
            lastChangeMs = systemClock.msecsSinceBoot();
            responses.lastChangeMs = lastChangeMs;
            ++nextChange;
        }
        const int offset = offsetSeconds(systemClock.now().time(), tick.programClock());
        if (systemClock.msecsSinceBoot() - lastChangeMs > kSettleMs && std::abs(offset) > 1) {
            QFAIL(qPrintable(QStringLiteral("the program clock %1 strays %2 s from the system clock %3")
                                 .arg(tick.programClock().text())
                                 .arg(offset)
                                 .arg(systemClock.now().toString(Qt::ISODateWithMs))));
        }
        responses.resyncedThisTick = false;
        const size_t before = responses.moments.size();
        tick.tick();
        QVERIFY(tick.isActive());
        // Between two ticks the clock moves on by one second, or jumps where a re-sync says so.
        if (responses.moments.size() > before && before > 0 && !responses.resyncedThisTick &&
            responses.moments[before] != responses.moments[before - 1] + 1) {
            QFAIL(qPrintable(QStringLiteral("tick %1 went from moment %2 to %3 without a re-sync")
                                 .arg(before)
                                 .arg(responses.moments[before - 1])
                                 .arg(responses.moments[before])));
        }
        systemClock.advance(tick.interval());
    }
    QCOMPARE(nextChange, changes.size());
    QVERIFY(!responses.unexpected);
    QCOMPARE(int(responses.resyncs.size()), resyncs);

    // Every every-day entry of every whole day of the soak rang once or is reported missed once: never
    // both, never twice, never at another second.
    const qint64 firstDay = QDate(wednesday.addDays(1)).toJulianDay();
    const qint64 lastDay = QDate(wednesday.addDays(6)).toJulianDay();
    for (const QString& t : everyDay) {
        const int second = *entrySecond(t);
        std::map<qint64, int> accounted;
        for (const qint64 m : responses.fired[QStringLiteral("tone ") + t]) {
            QCOMPARE(int(m % kSecondsPerDay), second);
            ++accounted[m / kSecondsPerDay];
        }
        for (const qint64 m : responses.missed[t]) {
            QCOMPARE(int(m % kSecondsPerDay), second);
            ++accounted[m / kSecondsPerDay];
        }
        for (qint64 day = firstDay; day <= lastDay; ++day) {
            QVERIFY2(accounted[day] == 1, qPrintable(QStringLiteral("%1 on day %2 accounted %3 times")
                                                         .arg(t)
                                                         .arg(day - firstDay + 1)
                                                         .arg(accounted[day])));
        }
    }
    QCOMPARE(responses.fired[QStringLiteral("tone Wednesday")].size(), size_t(1));

    // On the system's second an entry rings right after its second has begun, apart from the tick of
    // a re-sync and the seconds caught up after the small step.
    if (onTheSecond) {
        int late = 0;
        for (size_t i = 0; i < responses.lateMs.size(); ++i) {
            if (!responses.nearChange[i] && (responses.lateMs[i] < 0 || responses.lateMs[i] > 20))
                ++late;
        }
        QCOMPARE(late, 0);
    }
}

QTEST_GUILESS_MAIN(TickSoakTest)
#include "tick_soak_test.moc"
