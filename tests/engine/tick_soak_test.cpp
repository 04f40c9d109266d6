#include <QTest>
#include <map>
#include <vector>

#include "engine/clock_tick.h"
#include "engine/recurrence.h"
#include "engine/responses.h"
#include "engine/tick_rules.h"
#include "fakes/fake_platform.h"

using namespace quel;
using quel::fakes::FakeClock;
using quel::fakes::FakeLauncher;

namespace {

constexpr int kSecondsPerDay = 24 * 3600;
constexpr int kSecondsPerHour = 3600;
constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kHourMs = 60 * kMinuteMs;
constexpr qint64 kDayMs = 24 * kHourMs;

int secondOfDay(const ProgramClock& c) {
    return c.hour * kSecondsPerHour + c.minute * 60 + c.second;
}

// Minute and second of the program clock less those of the system clock, taken the short way round the
// hour: the distance the steering is closing.
int offsetWithinHour(const ProgramClock& program, const QTime& system) {
    int d = (program.minute * 60 + program.second) - (system.minute() * 60 + system.second());
    if (d > kSecondsPerHour / 2)
        d -= kSecondsPerHour;
    if (d <= -kSecondsPerHour / 2)
        d += kSecondsPerHour;
    return d;
}

// Keeps only what the soak checks: the program clock each tick heard, and which tone fired at which tick.
class SoakResponses final : public Responses {
public:
    void broadcastOn(const QString&, PlayOrder) override { unexpected = true; }
    void broadcastOff() override { unexpected = true; }
    void radio(bool) override { unexpected = true; }
    void powerOff(PowerAction) override { unexpected = true; }
    void openTableByResponse(const QString&) override { unexpected = true; }
    void sayTime(Voice, const ProgramClock&) override { unexpected = true; }
    void playTone(const QString& path) override { fired[path].push_back(seconds.size() - 1); }

    QStringList table;
    std::vector<int> seconds;                      // program second of day, per tick
    std::map<QString, std::vector<size_t>> fired;  // tone -> tick numbers
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
    void sevenDaysWithClockChanges();
};

void TickSoakTest::sevenDaysWithClockChanges() {
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
        {QDateTime(wednesday.addDays(2), QTime(14, 0, 0)), kHourMs},           // a whole hour: no steering
        {QDateTime(wednesday.addDays(3), QTime(15, 0, 0)), -kHourMs},          // and back
        {QDateTime(wednesday.addDays(4), QTime(8, 55, 0)), 10 * kMinuteMs},    // forward across the hour
        {QDateTime(wednesday.addDays(5), QTime(23, 55, 0)), -10 * kMinuteMs},  // back across midnight
        {QDateTime(wednesday.addDays(6), QTime(8, 59, 59, 500)), 2 * 1000},    // a small step at the hour
    };

    ClockTick tick(systemClock, launcher, responses.table, responses);
    connect(&tick, &ClockTick::advanced, this,
            [&](const ProgramClock& c) { responses.seconds.push_back(secondOfDay(c)); });
    tick.setProgramClockFromSystem();
    tick.start();

    const qint64 endMs = systemClock.msecsSinceBoot() + 7 * kDayMs;
    size_t nextChange = 0;
    qint64 lastChangeMs = systemClock.msecsSinceBoot();
    // Slow enough to take a while, the steering closes any offset below half an hour within five hours.
    constexpr qint64 kSettleMs = 5 * kHourMs;
    int widest = 0;
    while (systemClock.msecsSinceBoot() < endMs) {
        if (nextChange < changes.size() && systemClock.now() >= changes[nextChange].when) {
            systemClock.set(systemClock.now().addMSecs(changes[nextChange].byMs));
            lastChangeMs = systemClock.msecsSinceBoot();
            ++nextChange;
        }
        const int offset = offsetWithinHour(tick.programClock(), systemClock.now().time());
        widest = std::max(widest, std::abs(offset));
        if (systemClock.msecsSinceBoot() - lastChangeMs > kSettleMs && std::abs(offset) > 1) {
            QFAIL(qPrintable(QStringLiteral("the program clock %1 strays %2 s from the system clock %3")
                                 .arg(tick.programClock().text())
                                 .arg(offset)
                                 .arg(systemClock.now().toString(Qt::ISODateWithMs))));
        }
        tick.tick();
        QVERIFY(tick.isActive());
        systemClock.advance(tick.interval());
    }
    QCOMPARE(nextChange, changes.size());
    QVERIFY(!responses.unexpected);
    // A ten-minute change may grow while the steering turns round the hour, never near half an hour.
    QVERIFY2(widest <= 20 * 60, qPrintable(QString::number(widest)));

    // The program clock never skips or repeats a second, so every second of its day came once per day.
    const std::vector<int>& seconds = responses.seconds;
    QVERIFY(seconds.size() > size_t(6 * kSecondsPerDay));
    for (size_t i = 1; i < seconds.size(); ++i) {
        if ((seconds[i - 1] + 1) % kSecondsPerDay != seconds[i]) {
            QFAIL(qPrintable(QStringLiteral("tick %1 went from second %2 to %3")
                                 .arg(i)
                                 .arg(seconds[i - 1])
                                 .arg(seconds[i])));
        }
    }

    // Each every-day entry fired at exactly the ticks whose clock read its time: none skipped, none twice.
    for (const QString& t : everyDay) {
        const QTime time = QTime::fromString(t, QStringLiteral("H:mm:ss"));
        const int second = time.msecsSinceStartOfDay() / 1000;
        std::vector<size_t> expected;
        for (size_t i = 0; i < seconds.size(); ++i) {
            if (seconds[i] == second)
                expected.push_back(i);
        }
        QVERIFY2(expected.size() >= 7, qPrintable(t));
        QCOMPARE(responses.fired[QStringLiteral("tone ") + t], expected);
    }
    QCOMPARE(responses.fired[QStringLiteral("tone Wednesday")].size(), size_t(1));
}

QTEST_GUILESS_MAIN(TickSoakTest)
#include "tick_soak_test.moc"
