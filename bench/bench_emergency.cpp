// How long the emergency broadcast takes to be heard in the real program: from the trigger to the
// first loud sample on a private sound server's speakers. The program runs as a person starts it, its
// sound through pulsesink to the private server, its control interface on a private bus. Each way in
// gets a fresh program, so its first run is the first emergency after start, triggered a while after
// the program became ready, as a real one would be.
//
// The command line is timed from the start of `quelbrook emergency start` (its own start-up counts: it
// is what cron or ssh runs), D-Bus from the call leaving this process. The monitor is read in 1.5 ms
// fragments, so a run counts up to one fragment and the server's recording delay more than the truth.
//
// Usage: bench_emergency [--benchmark_filter=...]; QUEL_BENCH_RUNS (20) and QUEL_BENCH_FIRST_AFTER_MS
// (5000) change the runs and the wait before the first one. idleWakeups counts the idle program's
// voluntary context switches over QUEL_BENCH_IDLE_SECONDS (60) with the sound prepared.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "e2e/program_process.h"
#include "fakes/private_bus.h"
#include "fakes/private_pulse.h"
#include "remote/dbus_control.h"
#include "speakers_monitor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr float kAudible = 0.05f;  // the tone peaks near 0.9
constexpr auto kTimeout = std::chrono::seconds(10);
constexpr auto kBetweenRuns = std::chrono::milliseconds(500);
constexpr auto kLoopCheck = std::chrono::seconds(9);

int setting(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Notes when the speakers first sounded after arm(), and each time they went from quiet to loud.
class Listener {
public:
    explicit Listener(const QByteArray& server)
        : monitor_(server, "level", [this](const std::vector<float>& fragment, Clock::time_point now) {
              hear(fragment, now);
          }) {}
    bool ok() const { return monitor_.ok(); }
    void arm() {
        heard_ = false;
        armed_ = true;
    }
    bool heard() const { return heard_; }
    Clock::time_point heardAt() const { return heardAt_; }
    bool silent() const { return quiet_; }
    // How many times the speakers went from quiet to loud.
    int onsets() const { return onsets_; }
    Clock::time_point lastOnset() const { return lastOnset_; }

private:
    void hear(const std::vector<float>& fragment, Clock::time_point now) {
        float loudest = 0;
        for (const float s : fragment)
            loudest = std::max(loudest, std::fabs(s));
        const bool wasQuiet = quiet_;
        quiet_ = loudest < kAudible;
        if (wasQuiet && !quiet_) {
            ++onsets_;
            lastOnset_ = now;
        }
        if (armed_ && !quiet_) {
            heardAt_ = now;
            armed_ = false;
            heard_ = true;
        }
    }

    // Before the monitor: its thread may hear from its first fragment on, and is joined before these go.
    std::atomic<bool> armed_{false};
    std::atomic<bool> heard_{false};
    std::atomic<bool> quiet_{true};
    std::atomic<int> onsets_{0};
    std::atomic<Clock::time_point> lastOnset_{};
    std::atomic<Clock::time_point> heardAt_{};
    quel::bench::SpeakersMonitor monitor_;
};

template <typename Done>
bool spinUntil(Done done, Clock::duration timeout = kTimeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void waitFor(Clock::duration how) {
    const auto until = Clock::now() + how;
    spinUntil([&] { return Clock::now() > until; }, how + std::chrono::seconds(1));
}

// The real program with its own folder, sound server and bus, set up before and shown hidden, as a
// school's PC runs it.
class Program {
public:
    Program(const quel::fakes::PrivatePulse& pulse, const quel::fakes::PrivateBus& bus)
        : program_(setUp(home_), environment(pulse, bus)) {}
    // `quelbrook ARGS` against this program; its exit status.
    int command(const QStringList& arguments) const {
        QProcess client;
        client.setProcessEnvironment(program_.process.processEnvironment());
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.setStandardOutputFile(QProcess::nullDevice());
        client.start(QStringLiteral(QUELBROOK_EXE), arguments);
        if (!client.waitForFinished(int(std::chrono::milliseconds(kTimeout).count())))
            return -1;
        return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    }
    qint64 pid() const { return program_.process.processId(); }
    // The splash has handed over and the ways in answer.
    bool waitUntilReady() const {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < deadline) {
            if (command({QStringLiteral("status")}) == 0)
                return true;
            waitFor(std::chrono::milliseconds(200));
        }
        return false;
    }

private:
    static QString setUp(const QTemporaryDir& home) {
        quel::e2e::writeFile(home.filePath(QStringLiteral("ResetSystem.txt")), "1\r\n");
        quel::e2e::writeFile(home.filePath(QStringLiteral("show.txt")),
                             quel::e2e::quoted(QStringLiteral("hide")));
        return home.path();
    }
    static QProcessEnvironment environment(const quel::fakes::PrivatePulse& pulse,
                                           const quel::fakes::PrivateBus& bus) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("QUELBROOK_AUDIO_SINK"), QStringLiteral("pulsesink"));
        pulse.addClientEnvironment(env);
        bus.pointAtThisBus(env);
        return env;
    }

    QTemporaryDir home_;
    quel::e2e::Program program_;
};

enum class Way { CommandLine, DBus };

void emergencyToAudible(benchmark::State& state, Way way) {
    quel::fakes::PrivatePulse pulse;
    QString why;
    if (!quel::fakes::PrivatePulse::available() || !pulse.start(&why)) {
        state.SkipWithError(qPrintable(QStringLiteral("no private sound server: ") + why));
        return;
    }
    quel::fakes::PrivateBus bus;
    if (!bus.start()) {
        state.SkipWithError("no private bus");
        return;
    }
    Listener listener(pulse.server());
    if (!listener.ok()) {
        state.SkipWithError("cannot record the speakers");
        return;
    }
    Program program(pulse, bus);
    if (!program.waitUntilReady()) {
        state.SkipWithError("the program never answered");
        return;
    }
    QDBusConnection client = bus.connection();
    // Starts or ends the emergency the way this run measures, and waits for the answer.
    const auto emergency = [&](bool on) {
        if (way == Way::CommandLine)
            return program.command({QStringLiteral("emergency"),
                                    on ? QStringLiteral("start") : QStringLiteral("stop")}) == 0;
        QDBusPendingCall pending = client.asyncCall(QDBusMessage::createMethodCall(
            quel::DBusControl::kService, quel::DBusControl::kPath, quel::DBusControl::kInterface,
            on ? QStringLiteral("StartEmergency") : QStringLiteral("StopEmergency")));
        spinUntil([&] { return pending.isFinished(); });
        return !pending.isError();
    };
    waitFor(std::chrono::milliseconds(setting("QUEL_BENCH_FIRST_AFTER_MS", 5000)));

    std::vector<double> runs;
    for (auto _ : state) {
        if (!spinUntil([&] { return listener.silent(); })) {
            state.SkipWithError("the speakers never fell silent");
            return;
        }
        listener.arm();
        const auto sent = Clock::now();
        const bool answered = emergency(true);
        if (!answered || !spinUntil([&] { return listener.heard(); })) {
            state.SkipWithError("the emergency tone was never heard");
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(listener.heardAt() - sent).count();
        runs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
        emergency(false);
        waitFor(kBetweenRuns);
    }
    if (runs.empty())
        return;
    // The alarm must go on: the built-in tone's three pulses a loop, over two loops and a bit.
    const int before = listener.onsets();
    if (way == Way::DBus) {
        emergency(true);
        spinUntil([&] { return listener.onsets() > before; });
        const auto first = listener.lastOnset();
        // The fourth pulse opens the second loop: one loop's length, gaps at its end included.
        spinUntil([&] { return listener.onsets() >= before + 4; });
        state.counters["loop_ms"] =
            std::chrono::duration<double, std::milli>(listener.lastOnset() - first).count();
        waitFor(kLoopCheck - (Clock::now() - first));
        emergency(false);
        state.counters["pulses_in_9s"] = listener.onsets() - before;
    }
    state.counters["first_ms"] = runs.front();
    std::sort(runs.begin(), runs.end());
    state.counters["median_ms"] = runs[runs.size() / 2];
    // Nearest rank: of 20 runs the 99th percentile is the slowest.
    state.counters["p99_ms"] = runs[std::size_t(std::ceil(0.99 * double(runs.size()))) - 1];
    state.counters["max_ms"] = runs.back();
}

// Voluntary context switches of each thread of `pid`, by thread id: each is a wakeup of an idle program.
QMap<QString, qint64> voluntarySwitches(qint64 pid) {
    QMap<QString, qint64> counts;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                counts.insert(task, line.mid(line.indexOf(':') + 1).trimmed().toLongLong());
        }
    }
    return counts;
}

// Threads that started meanwhile count whole; one that ended takes its count with it.
qint64 wokenBetween(const QMap<QString, qint64>& before, const QMap<QString, qint64>& after) {
    qint64 woken = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        woken += it.value() - before.value(it.key(), 0);
    return woken;
}

// The program idle with the emergency's sound prepared on the sound server: what holding it costs.
void idleWakeups(benchmark::State& state) {
    quel::fakes::PrivatePulse pulse;
    quel::fakes::PrivateBus bus;
    if (!quel::fakes::PrivatePulse::available() || !pulse.start() || !bus.start()) {
        state.SkipWithError("no private sound server or bus");
        return;
    }
    Program program(pulse, bus);
    if (!program.waitUntilReady()) {
        state.SkipWithError("the program never answered");
        return;
    }
    const int seconds = setting("QUEL_BENCH_IDLE_SECONDS", 60);
    // The media framework's start-up threads end a while after the splash.
    waitFor(std::chrono::seconds(10));
    for (auto _ : state) {
        const QMap<QString, qint64> before = voluntarySwitches(program.pid());
        waitFor(std::chrono::seconds(seconds));
        state.counters["wakeups_per_s"] =
            double(wokenBetween(before, voluntarySwitches(program.pid()))) / seconds;
        state.SetIterationTime(seconds);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = setting("QUEL_BENCH_RUNS", 20);
    benchmark::RegisterBenchmark("emergencyToAudible/commandLine", emergencyToAudible, Way::CommandLine)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(runs);
    benchmark::RegisterBenchmark("emergencyToAudible/dbus", emergencyToAudible, Way::DBus)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(runs);
    benchmark::RegisterBenchmark("idleWakeups", idleWakeups)
        ->UseManualTime()
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
