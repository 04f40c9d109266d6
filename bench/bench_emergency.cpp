// How long the emergency broadcast takes to be heard: from the request leaving a command line (the
// instance socket, the way cron, ssh and the page for a phone's server reach the program) to the
// first loud sample on a private sound server's speakers. The monitor is read in 5 ms fragments, so a
// run counts up to one fragment and the server's own recording delay more than the truth: an upper
// bound.

#include <benchmark/benchmark.h>
#include <pulse/simple.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <thread>
#include <vector>

#include "emergency/emergency.h"
#include "fakes/fake_platform.h"
#include "fakes/private_pulse.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/instance.h"
#include "platform/settings_store.h"
#include "remote/command_line.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 48000;
constexpr int kFragmentSamples = kRate / 200;  // 5 ms
constexpr float kAudible = 0.05f;              // the tone peaks near 0.9
constexpr auto kTimeout = std::chrono::seconds(5);
constexpr int kRuns = 101;

// Reads the speakers' monitor without pause and notes when the first loud fragment after arm() came.
class Listener {
public:
    explicit Listener(const QByteArray& server) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
        const pa_buffer_attr attributes{std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1),
                                        std::uint32_t(-1), kFragmentSamples * sizeof(float)};
        int error = 0;
        recorder_ = pa_simple_new(server.constData(), "quelbrook-bench", PA_STREAM_RECORD, "speakers.monitor",
                                  "level", &format, nullptr, &attributes, &error);
        if (recorder_)
            thread_ = std::thread([this] { run(); });
    }
    ~Listener() {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        if (recorder_)
            pa_simple_free(recorder_);
    }
    bool ok() const { return recorder_ != nullptr; }
    void arm() {
        heardAt_ = {};
        heard_ = false;
        armed_ = true;
    }
    bool heard() const { return heard_; }
    Clock::time_point heardAt() const { return heardAt_; }
    bool silent() const { return quiet_; }

private:
    void run() {
        std::vector<float> fragment(kFragmentSamples);
        int error = 0;
        while (!done_ &&
               pa_simple_read(recorder_, fragment.data(), fragment.size() * sizeof(float), &error) == 0) {
            const auto now = Clock::now();
            float loudest = 0;
            for (const float s : fragment)
                loudest = std::max(loudest, std::fabs(s));
            quiet_ = loudest < kAudible;
            if (armed_ && !quiet_) {
                heardAt_ = now;
                armed_ = false;
                heard_ = true;
            }
        }
    }

    pa_simple* recorder_ = nullptr;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> armed_{false};
    std::atomic<bool> heard_{false};
    std::atomic<bool> quiet_{true};
    Clock::time_point heardAt_;
};

// The program's side: only the emergency is wired.
class EmergencyOnly final : public quel::RemoteActions {
public:
    explicit EmergencyOnly(quel::EmergencyBroadcast& e) : emergency_(e) {}
    quel::ActionResult ringNow(const QString&) override { return {}; }
    quel::ActionResult next() override { return {}; }
    quel::ActionResult skipNext() override { return {}; }
    quel::ActionResult broadcast(const QString&, bool) override { return {}; }
    quel::ActionResult stop() override { return {}; }
    quel::ActionResult say(bool) override { return {}; }
    quel::ActionResult emergency(bool on) override {
        on ? emergency_.start() : emergency_.stop();
        return {true, QString()};
    }
    quel::RemoteStatus status() const override { return {}; }

private:
    quel::EmergencyBroadcast& emergency_;
};

template <typename Done>
bool spinUntil(Done done) {
    const auto deadline = Clock::now() + kTimeout;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

void emergencyToAudible(benchmark::State& state) {
    quel::fakes::PrivatePulse pulse;
    QString why;
    if (!quel::fakes::PrivatePulse::available() || !pulse.start(&why)) {
        state.SkipWithError(qPrintable(QStringLiteral("no private sound server: ") + why));
        return;
    }
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    if (!sink) {
        state.SkipWithError("no pulsesink");
        return;
    }
    quel::GstMedia siren(sink);
    QTemporaryDir folder;
    quel::fakes::FakeFiles files;
    const quel::SettingsStore settings(files, folder.path());
    quel::EmergencyBroadcast emergency(siren, settings, QStringLiteral(QUELBROOK_EVACUATION_TONE));
    EmergencyOnly actions(emergency);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
    quel::LocalInstanceGuard program(folder.path());
    program.anotherIsRunning();
    program.setRequestHandler([&](const QByteArray& line) { return quel::answerRequest(actions, line); });
    Listener listener(pulse.server());
    if (!listener.ok()) {
        state.SkipWithError("cannot record the speakers");
        return;
    }
    const QByteArray start = quel::requestLine({QStringLiteral("emergency"), {QStringLiteral("start")}});

    // As the program does once it has started; the first run measures the first emergency after that.
    emergency.prepare();
    const auto settled = Clock::now() + std::chrono::seconds(1);
    spinUntil([&] { return Clock::now() > settled; });
    std::vector<double> runs;
    for (auto _ : state) {
        if (!spinUntil([&] { return listener.silent(); })) {
            state.SkipWithError("the speakers never fell silent");
            return;
        }
        listener.arm();
        const auto sent = Clock::now();
        auto answered = std::async(
            std::launch::async, [&] { return quel::LocalInstanceGuard(folder.path()).sendRequest(start); });
        if (!spinUntil([&] { return listener.heard(); })) {
            state.SkipWithError("the emergency tone was never heard");
            return;
        }
        answered.get();
        const double ms = std::chrono::duration<double, std::milli>(listener.heardAt() - sent).count();
        runs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
        emergency.stop();
    }
    // The first emergency after start-up is reported apart: it pays for the sound server's first
    // stream of the component.
    state.counters["first_ms"] = runs.front();
    runs.erase(runs.begin());
    std::sort(runs.begin(), runs.end());
    state.counters["median_ms"] = runs[runs.size() / 2];
    state.counters["p99_ms"] = runs[std::min(runs.size() - 1, runs.size() * 99 / 100)];
    state.counters["max_ms"] = runs.back();
}

BENCHMARK(emergencyToAudible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRuns);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!quel::initMedia())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
