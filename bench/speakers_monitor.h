#pragma once

// The private sound server's speakers as a listener hears them: their monitor read on a thread of its
// own, a fragment at a time, each handed on with the moment it was read.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include <pulse/simple.h>

#include "fakes/private_pulse.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"

namespace quel::bench {

class SpeakersMonitor {
public:
    static constexpr int kRate = 44100;
    static constexpr int kFragmentFrames = 64;  // 1.5 ms: the resolution of the reading
    using Fragment = std::function<void(const std::vector<float>&, std::chrono::steady_clock::time_point)>;

    // Mono floats; `onFragment` runs on the reading thread.
    SpeakersMonitor(const QByteArray& server, const char* purpose, Fragment onFragment)
        : onFragment_(std::move(onFragment)) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
        const pa_buffer_attr attributes{std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1),
                                        std::uint32_t(-1), std::uint32_t(kFragmentFrames * sizeof(float))};
        int error = 0;
        stream_ = pa_simple_new(server.constData(), "bench", PA_STREAM_RECORD, "speakers.monitor", purpose,
                                &format, nullptr, &attributes, &error);
        if (stream_)
            thread_ = std::thread([this] { run(); });
    }
    ~SpeakersMonitor() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (stream_)
            pa_simple_free(stream_);
    }
    SpeakersMonitor(const SpeakersMonitor&) = delete;
    SpeakersMonitor& operator=(const SpeakersMonitor&) = delete;
    bool ok() const { return stream_ != nullptr; }

private:
    void run() {
        std::vector<float> fragment(kFragmentFrames);
        while (!stop_) {
            int error = 0;
            if (pa_simple_read(stream_, fragment.data(), fragment.size() * sizeof(float), &error) < 0)
                return;
            onFragment_(fragment, std::chrono::steady_clock::now());
        }
    }

    Fragment onFragment_;
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

// Starts `pulse` and sends every sound of this process to it. False, with the reason printed as a
// skip, when there is no sound server to start or GStreamer would not start.
inline bool onPrivateSpeakers(quel::fakes::PrivatePulse& pulse) {
    if (!quel::fakes::PrivatePulse::available()) {
        std::printf("skipped: no pulseaudio\n");
        return false;
    }
    QString why;
    if (!pulse.start(&why)) {
        std::printf("skipped: the private sound server did not start: %s\n", qPrintable(why));
        return false;
    }
    qputenv(quel::kAudioSinkVariable, "pulsesink");
    if (!quel::initMedia()) {
        std::printf("skipped: GStreamer did not start\n");
        return false;
    }
    return true;
}

}  // namespace quel::bench
