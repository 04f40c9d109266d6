// How long a scheduled tone takes to sound: from the main window's "stop; file name; play" on an
// idle component to the first decoded buffer reaching the output (fakeaudiosink, so no device adds
// its own delay). The first run of a format, which loads its plug-ins, is reported apart.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"

namespace {

using Clock = std::chrono::steady_clock;
using quel::testing::ToneFormat;

constexpr std::chrono::seconds kTimeout{10};
constexpr double kToneSeconds = 0.5;
constexpr int kRuns = 60;

// Notes when the first buffer after arm() passes the output's input pad.
class FirstBuffer {
public:
    explicit FirstBuffer(GstElement* sink) : pad_(gst_element_get_static_pad(sink, "sink")) {
        probe_ = gst_pad_add_probe(pad_, GST_PAD_PROBE_TYPE_BUFFER, &FirstBuffer::onBuffer, this, nullptr);
    }
    ~FirstBuffer() {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }
    FirstBuffer(const FirstBuffer&) = delete;
    FirstBuffer& operator=(const FirstBuffer&) = delete;

    void arm() {
        std::lock_guard lock(mutex_);
        seen_ = false;
    }
    // The moment the buffer arrived, or nothing if it did not come in time.
    std::optional<Clock::time_point> wait() {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, kTimeout, [this] { return seen_; })) {
            return std::nullopt;
        }
        return at_;
    }

private:
    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo*, gpointer self) {
        const auto now = Clock::now();
        auto* first = static_cast<FirstBuffer*>(self);
        std::lock_guard lock(first->mutex_);
        if (!first->seen_) {
            first->seen_ = true;
            first->at_ = now;
            first->arrived_.notify_all();
        }
        return GST_PAD_PROBE_OK;
    }

    GstPad* pad_;
    gulong probe_ = 0;
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool seen_ = true;
    Clock::time_point at_;
};

// Milliseconds from the main window's tone sequence to the first buffer, or a negative number when
// nothing arrived.
double soundTone(quel::GstMedia& media, FirstBuffer& first, const QString& path) {
    first.arm();
    const auto start = Clock::now();
    media.stop();
    media.setFileName(path);
    media.play();
    const auto at = first.wait();
    media.setFileName(QString());
    QCoreApplication::processEvents();
    if (!at) {
        return -1.0;
    }
    return std::chrono::duration<double, std::milli>(*at - start).count();
}

void toneLatency(benchmark::State& state, ToneFormat format, const char* name) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    const QString why = quel::testing::writeTone(path, format, kToneSeconds);
    if (!why.isEmpty()) {
        state.SkipWithError(qPrintable(why));
        return;
    }
    GstElement* sink = gst_element_factory_make("fakeaudiosink", nullptr);
    if (!sink) {
        state.SkipWithError("no fakeaudiosink");
        return;
    }
    FirstBuffer first(sink);
    quel::GstMedia media(sink);

    const double cold = soundTone(media, first, path);
    std::vector<double> runs;
    for (auto _ : state) {
        const double ms = soundTone(media, first, path);
        if (ms < 0) {
            state.SkipWithError("the tone never reached the output");
            return;
        }
        runs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    std::sort(runs.begin(), runs.end());
    state.counters["first_ms"] = cold;
    state.counters["median_ms"] = runs[runs.size() / 2];
    state.counters["p90_ms"] = runs[runs.size() * 9 / 10];
}

BENCHMARK_CAPTURE(toneLatency, wav, ToneFormat::Wav, "tone.wav")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRuns);
BENCHMARK_CAPTURE(toneLatency, mp3, ToneFormat::Mp3, "tone.mp3")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRuns);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!quel::initMedia()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
