// When a scheduled tone is heard: from the tick's call to the first sound on a private PulseAudio
// server's null sink, read from its monitor. paplay started at the same moment is the anchor: the
// monitor's own delay and the server's scheduling are in both, so the ratio is what the component adds.
// Each format is measured as the tick finds it: an idle component (opened on the second) and one that
// was cued a few seconds ahead. Also: what a cued pipeline costs while it waits (thread wakeups).
//
//   bench_tone_audible [runs [cue lead ms]]      prints median and p90 in milliseconds per case

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "fakes/private_pulse.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "speakers_monitor.h"

namespace {

using Clock = std::chrono::steady_clock;
using quel::testing::ToneFormat;

constexpr int kRate = quel::bench::SpeakersMonitor::kRate;
constexpr float kThreshold = 0.05f;  // the tones peak at 0.5
constexpr double kToneSeconds = 0.3;
constexpr auto kQuiet = std::chrono::milliseconds(150);
constexpr auto kOnsetTimeout = std::chrono::seconds(5);
std::chrono::milliseconds kCueLead{3000};  // how long before the tick the file is cued, as the program does

// Reads the null sink's monitor on a thread of its own and keeps the moment the last sound began,
// back-dated by the samples read after it.
class Monitor {
public:
    explicit Monitor(const QByteArray& server)
        : speakers_(server, "onset", [this](const std::vector<float>& samples, Clock::time_point now) {
              take(samples, now);
          }) {}
    bool ok() const { return speakers_.ok(); }

    void waitForQuiet() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10),
                          [this] { return Clock::now() - lastLoud_ > kQuiet; });
    }
    // The onset of the first sound after `since`.
    std::optional<Clock::time_point> onsetAfter(Clock::time_point since) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kOnsetTimeout, [&] { return onset_ && *onset_ >= since - kSlack; }))
            return std::nullopt;
        return onset_;
    }

private:
    // The back-dating can put an onset a little before the moment asked about.
    static constexpr auto kSlack = std::chrono::milliseconds(5);

    void take(const std::vector<float>& samples, Clock::time_point now) {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (std::fabs(samples[i]) < kThreshold)
                continue;
            if (!loud_ && now - lastLoud_ > kQuiet) {
                const auto after = std::chrono::microseconds((samples.size() - i) * 1000000 / kRate);
                onset_ = now - after;
            }
            loud_ = true;
            lastLoud_ = now;
        }
        if (Clock::now() - lastLoud_ > kQuiet)
            loud_ = false;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool loud_ = false;
    Clock::time_point lastLoud_{};
    std::optional<Clock::time_point> onset_;
    quel::bench::SpeakersMonitor speakers_;  // last: its thread stops before what it writes goes
};

struct Result {
    double median = 0;
    double p90 = 0;
    int lost = 0;
};

Result summarise(std::vector<double> ms, int lost) {
    Result r;
    r.lost = lost;
    if (ms.empty())
        return r;
    std::sort(ms.begin(), ms.end());
    r.median = ms[ms.size() / 2];
    r.p90 = ms[std::min(ms.size() - 1, ms.size() * 9 / 10)];
    return r;
}

// Pumps the Qt events (the component's bus messages) until `until`.
void spin(Clock::time_point until) {
    while (Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// `prepare` runs ahead (a cue), `sound` on the tick; the time from that call to the onset.
Result measure(Monitor& monitor, int runs, const std::function<void()>& prepare,
               const std::function<void()>& sound, const std::function<void()>& after) {
    std::vector<double> ms;
    int lost = 0;
    for (int i = 0; i < runs; ++i) {
        monitor.waitForQuiet();
        if (prepare) {
            prepare();
            spin(Clock::now() + kCueLead);
        }
        const auto tick = Clock::now();
        sound();
        QCoreApplication::processEvents();
        const auto onset = monitor.onsetAfter(tick);
        if (onset)
            ms.push_back(std::chrono::duration<double, std::milli>(*onset - tick).count());
        else
            ++lost;
        spin(Clock::now() + std::chrono::milliseconds(int(kToneSeconds * 1000) + 100));
        if (after)
            after();
    }
    return summarise(ms, lost);
}

// Context switches of every thread of this process so far: each is a wakeup of a thread that slept.
long threadWakeups() {
    long total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return total;
}

// Wakeups per second of every thread while the main thread sleeps.
double idleWakeups(int seconds) {
    const long before = threadWakeups();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return double(threadWakeups() - before) / seconds;
}

// The silence a file itself begins with, in milliseconds: an MP3 encoder puts its delay in front of the
// sound, and that part of an onset is the file's, not the component's.
double leadInMs(const QString& path) {
    struct Scan {
        qint64 frames = 0;
        std::optional<qint64> loud;
    } scan;
    const QByteArray description = "filesrc location=\"" + QFile::encodeName(path) +
                                   "\" ! decodebin ! audioconvert ! audioresample ! "
                                   "audio/x-raw,format=F32LE,channels=1,rate=" +
                                   QByteArray::number(kRate) + " ! fakesink name=out signal-handoffs=true";
    GstElement* pipeline = gst_parse_launch(description.constData(), nullptr);
    if (!pipeline)
        return 0;
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_signal_connect(out, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*, gpointer data) {
                         auto* s = static_cast<Scan*>(data);
                         GstMapInfo map;
                         if (s->loud || !gst_buffer_map(buffer, &map, GST_MAP_READ))
                             return;
                         const auto* samples = reinterpret_cast<const float*>(map.data);
                         const auto count = qint64(map.size / sizeof(float));
                         for (qint64 i = 0; i < count && !s->loud; ++i) {
                             if (std::fabs(samples[i]) >= kThreshold)
                                 s->loud = s->frames + i;
                         }
                         s->frames += count;
                         gst_buffer_unmap(buffer, &map);
                     }),
                     &scan);
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    if (GstMessage* end = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)))
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return scan.loud ? double(*scan.loud) * 1000.0 / kRate : 0.0;
}

void print(const char* name, const Result& r, double anchorP90) {
    std::printf("%-48s median %7.1f ms   p90 %7.1f ms   p90/paplay %5.2f   lost %d\n", name, r.median, r.p90,
                anchorP90 > 0 ? r.p90 / anchorP90 : 0.0, r.lost);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    if (argc > 2)
        kCueLead = std::chrono::milliseconds(std::max(100, std::atoi(argv[2])));
    quel::fakes::PrivatePulse pulse;
    if (!quel::bench::onPrivateSpeakers(pulse))
        return 0;
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    if (!quel::testing::writeTone(wav, ToneFormat::Wav, kToneSeconds).isEmpty() ||
        !quel::testing::writeTone(mp3, ToneFormat::Mp3, kToneSeconds).isEmpty()) {
        std::printf("cannot render the tones\n");
        return 1;
    }
    auto monitorOwner = std::make_unique<Monitor>(pulse.server());
    Monitor& monitor = *monitorOwner;
    if (!monitor.ok()) {
        std::printf("cannot read the monitor\n");
        return 1;
    }

    QProcess paplay;
    const Result anchor = measure(
        monitor, runs, nullptr, [&] { paplay.start(QStringLiteral("paplay"), {wav}); },
        [&] { paplay.waitForFinished(5000); });
    print("paplay WAV (anchor)", anchor, anchor.p90);

    quel::GstMedia media;
    // The tick's order on an idle component, which then lets the file go at its end.
    const auto ring = [&media](const QString& path) {
        return [&media, path] {
            media.stop();
            media.setFileName(path);
            media.play();
        };
    };
    const auto release = [&media] { media.setFileName(QString()); };
    // Encoders write the delay they add at the start into a LAME tag, which the parser and decoder cut
    // off; the generated MP3 has no tag, so its figures carry the encoder's 25 ms. The built-in bell is
    // an MP3 as encoders write them.
    const QString tagged = QStringLiteral(QUELBROOK_DATA_DIR "/timeup.mp3");
    for (const auto& [name, path] : {std::pair{"WAV", wav}, std::pair{"MP3, no LAME tag", mp3},
                                     std::pair{"MP3, LAME tag (built-in bell)", tagged}}) {
        std::printf("%s file begins with %.1f ms of its own silence (in every figure of it below)\n", name,
                    leadInMs(path));
        const Result cold = measure(monitor, runs, nullptr, ring(path), release);
        print(qPrintable(QStringLiteral("component %1, opened on the tick").arg(QLatin1String(name))), cold,
              anchor.p90);
        const Result cued = measure(
            monitor, runs, [&media, p = path] { media.cue(p); }, ring(path), release);
        print(qPrintable(QStringLiteral("component %1, cued ahead").arg(QLatin1String(name))), cued,
              anchor.p90);
    }

    // The monitor's reader wakes every fragment; it is gone before the idle cost is read.
    monitorOwner.reset();
    const int seconds = 3;
    spin(Clock::now() + std::chrono::milliseconds(500));
    const double idle = idleWakeups(seconds);
    media.cue(wav);
    spin(Clock::now() + kCueLead);
    const double cued = idleWakeups(seconds);
    media.cue(QString());
    std::printf("wakeups/s of all threads: idle component %.1f, with a cued pipeline %.1f\n", idle, cued);
    return 0;
}
