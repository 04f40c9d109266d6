// What rings next, looked up every second over a full table: the cost the tick pays for the line
// beside the status line. Goal: well under 20 microseconds per look.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include "engine/next_entry.h"
#include "schedule/program_clock.h"

namespace {

using namespace quel;

constexpr int kFullTable = 100;

// A full table of the sorted kind: by the first two characters of the Attribute, then by time, with
// every recurrence form and the odd hand-made entry.
QStringList fullTable() {
    const QStringList attributes{"2026年12月2日", "星期三",  "星期一",  "每天",
                                 "每年9月1日",    "每月2日", "每月31日"};
    QStringList entries;
    for (int i = 0; i < kFullTable; ++i) {
        entries << QStringLiteral("%1:%2:%3*注释%4>%5</srv/q/bells/%4.wav")
                       .arg(6 + (i * 7) % 15)
                       .arg((i * 13) % 60, 2, 10, QLatin1Char('0'))
                       .arg((i * 29) % 60, 2, 10, QLatin1Char('0'))
                       .arg(i)
                       .arg(attributes[i % attributes.size()]);
    }
    return entries;
}

// Across the day, so that early looks find many entries still to come and late ones none.
void BM_NextDueOverFullTable(benchmark::State& state) {
    const QStringList table = fullTable();
    const QDate wednesday(2026, 12, 2);
    int second = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nextDue(table, clockAtSecond(second), wednesday));
        second = (second + 97) % kSecondsPerDay;
    }
}
BENCHMARK(BM_NextDueOverFullTable);

// The look and the text beside the status line, as every second makes them.
void BM_NextEntryTextOverFullTable(benchmark::State& state) {
    const QStringList table = fullTable();
    const QDate wednesday(2026, 12, 2);
    const ProgramClock morning{7, 0, 0};
    for (auto _ : state) {
        const std::optional<DueEntry> next = nextDue(table, morning, wednesday);
        benchmark::DoNotOptimize(nextEntryText(table[next->index], next->second - secondOfDay(morning)));
    }
}
BENCHMARK(BM_NextEntryTextOverFullTable);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
