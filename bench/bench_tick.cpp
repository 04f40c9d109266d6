#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <vector>

#include "engine/clock_tick.h"
#include "engine/responses.h"
#include "fakes/fake_platform.h"
#include "fakes/quiet_responses.h"

namespace {

using namespace quel;

constexpr int kSecondsPerDay = 24 * 3600;

class IdleResponses final : public fakes::QuietResponses {
public:
    void playTone(const QString&) override { ++fired; }
    int fired = 0;
};

// A full table of 100 entries on a day when none of them fires: every tick walks them all, compares
// each Time and, for the entries of this very second, tests a recurrence that fails.
void BM_TickOverFullTableFiringNothing(benchmark::State& state) {
    const QDate wednesday(2026, 12, 2);
    fakes::FakeClock clock(QDateTime(wednesday, QTime(8, 0, 0, 500)), 1000);
    fakes::FakeLauncher launcher;
    IdleResponses responses;
    const QStringList days = {QStringLiteral("星期一"), QStringLiteral("每月1日"),
                              QStringLiteral("每年5月4日"), QStringLiteral("2004年9月1日")};
    for (int i = 0; i < 100; ++i) {
        const QTime t = QTime(8, 0, 0).addSecs(i * 7);
        responses.table << t.toString(QStringLiteral("H:mm:ss")) + QStringLiteral("*注释>") +
                               days[i % days.size()] + QStringLiteral("</opt/quelbrook/timeup.mp3");
    }
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    // The status line is the tick's own cost; a listener that keeps it is part of a real second.
    QObject::connect(&tick, &ClockTick::statusChanged,
                     [](const QString& line) { benchmark::DoNotOptimize(line.size()); });
    tick.setProgramClockFromSystem();
    // The system times are made beforehand: moving a local time on costs time-zone look-ups that
    // belong to the fake clock, not to the tick.
    std::vector<QDateTime> seconds;
    for (int i = 0; i < kSecondsPerDay; ++i)
        seconds.push_back(clock.now().addSecs(i));
    std::size_t next = 0;
    for (auto _ : state) {
        clock.set(seconds[next]);
        next = (next + 1) % seconds.size();
        tick.tick();
    }
    if (responses.fired != 0)
        state.SkipWithError("an entry fired");
}
BENCHMARK(BM_TickOverFullTableFiringNothing);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
