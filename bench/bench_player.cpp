// The broadcast player's costs: checking a 100,000-track list, opening the player on it (window
// painted, list painted, and how late the bells of that second ring), a broadcast entry to the first
// sound at the output, the silence between two tracks, and memory over many track changes.
// Sound goes to fakeaudiosink, so no device adds its own delay.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "fakes/fake_platform.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "platform/settings_names.h"
#include "platform/worker.h"
#include "player/broadcaster.h"
#include "player/from_player.h"
#include "player/play_list_text.h"
#include "player/player_session.h"
#include "player/shuffle.h"

using namespace quel;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBigList = 100000;
constexpr int kPerFolder = 1000;
constexpr std::chrono::seconds kTimeout{10};

double msSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

qint64 rssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return 0;
}

void report(benchmark::State& state, std::vector<double> runs, const char* name = "median_ms") {
    if (runs.empty()) {
        return;
    }
    std::sort(runs.begin(), runs.end());
    state.counters[name] = runs[runs.size() / 2];
}

// A program folder with a default list, and 100,000 present files in a list of their own.
class BigFolder {
public:
    BigFolder() {
        QDir root(dir_.path());
        root.mkpath(QStringLiteral("PlayListFile"));
        QStringList tracks;
        tracks.reserve(kBigList);
        for (int i = 0; i < kBigList; ++i) {
            const QString folder = dir_.path() + QStringLiteral("/music/%1").arg(i / kPerFolder);
            if (i % kPerFolder == 0) {
                root.mkpath(folder);
            }
            const QString track = folder + QStringLiteral("/第%1首 歌.mp3").arg(i);
            QFile f(track);
            f.open(QIODevice::WriteOnly);
            tracks << track;
        }
        DiskFiles disk;
        disk.write(list(), playlist::listFileBytes(tracks));
        // The big list is the default, so opening the player loads it.
        disk.writeText(dir_.path() + QLatin1Char('/') + settings::kDefaultPlf, list());
    }
    QString path() const { return dir_.path(); }
    QString list() const { return dir_.path() + QStringLiteral("/PlayListFile/big.PLF"); }

private:
    QTemporaryDir dir_;
};

BigFolder& bigFolder() {
    static BigFolder folder;
    return folder;
}

void BM_CleanLoad100k(benchmark::State& state) {
    BigFolder& folder = bigFolder();
    fakes::FakePlatform fake(folder.path());
    Shuffler shuffler;
    std::vector<double> runs;
    const qint64 before = rssKb();
    qint64 growth = 0;
    for (auto _ : state) {
        PlayList list(fake.files, folder.path(), shuffler, fake.worker);
        const auto start = Clock::now();
        list.loadForBroadcast(folder.list(), PlayOrder::Stored);
        const double ms = msSince(start);
        if (list.trackCount() != kBigList || !fake.files.writes.isEmpty()) {
            state.SkipWithError("the list did not load whole, or was rewritten");
            return;
        }
        growth = std::max(growth, rssKb() - before);
        runs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    report(state, runs);
    state.counters["rss_growth_mb"] = double(growth) / 1024.0;
}

// Runs the event loop until `done` or the time is out.
bool runUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (done()) {
            return true;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return false;
}

// Bells due every 50 ms through the first second after the player opens, each on a precise timer of
// the GUI thread as the tick is: how late the latest of them rang.
class Bells {
public:
    static constexpr int kEveryMs = 50;
    static constexpr int kCount = 20;

    explicit Bells(Clock::time_point start) {
        for (int i = 1; i <= kCount; ++i) {
            const auto due = start + std::chrono::milliseconds(i * kEveryMs);
            QTimer::singleShot(i * kEveryMs, Qt::PreciseTimer, &context_, [this, due] {
                latest_ = std::max(latest_, msSince(due));
                ++rung_;
            });
        }
    }
    bool allRung() const { return rung_ == kCount; }
    double latestMs() const { return latest_; }

private:
    QObject context_;
    int rung_ = 0;
    double latest_ = 0;
};

// The menu item 实时播音器 on a 100,000-track default list, the check on its worker: until the
// window is painted, until the list is painted in it, and the lateness of the bells of that second.
void BM_Open100k(benchmark::State& state) {
    BigFolder& folder = bigFolder();
    fakes::FakePlatform fake(folder.path());
    // The program's own worker threads in place of the fakes' check on the caller's thread.
    ThreadWorker worker;
    Platform platform{fake.clock,          fake.dialogs,
                      fake.files,          fake.instance,
                      fake.autostart,      fake.tray,
                      fake.media,          fake.launcher,
                      fake.lineIn,         fake.power,
                      fake.sleepInhibitor, worker,
                      folder.path(),       fake.platform.executable};
    std::vector<double> window;
    std::vector<double> list;
    std::vector<double> late;
    for (auto _ : state) {
        Broadcaster broadcaster(platform);
        const auto start = Clock::now();
        Bells bells(start);
        broadcaster.showPlayer();
        auto* shown = qobject_cast<FromPlayer*>(broadcaster.window());
        if (!shown || shown->grab().isNull()) {
            state.SkipWithError("nothing painted");
            return;
        }
        window.push_back(msSince(start));
        PlayList& played = broadcaster.session()->playList();
        if (!runUntil([&] { return !played.isChecking(); }, 30000) || played.trackCount() != kBigList) {
            state.SkipWithError("the list did not load whole");
            return;
        }
        if (shown->grab().isNull()) {
            state.SkipWithError("nothing painted");
            return;
        }
        const double ms = msSince(start);
        list.push_back(ms);
        runUntil([&] { return bells.allRung(); }, 5000);
        late.push_back(bells.latestMs());
        if (fake.files.writes.contains(folder.list())) {
            state.SkipWithError("a list of present files was rewritten");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
        broadcaster.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    report(state, window, "window_painted_ms");
    report(state, list, "list_painted_ms");
    report(state, late, "bell_late_ms");
    state.counters["bell_late_worst_ms"] = *std::max_element(late.begin(), late.end());
}

// Notes, at the output's input, when the first buffer after arm() passes, and when the sound of a
// stream that ended stops; the next buffer after that closes a gap between two tracks.
class Output {
public:
    explicit Output(GstElement* sink) : pad_(gst_element_get_static_pad(sink, "sink")) {
        probe_ = gst_pad_add_probe(
            pad_, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            &Output::onData, this, nullptr);
    }
    ~Output() {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void arm() {
        std::lock_guard lock(mutex_);
        first_.reset();
    }
    std::optional<Clock::time_point> waitFirst() {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, kTimeout, [this] { return first_.has_value(); });
        return first_;
    }
    std::vector<double> takeGaps() {
        std::lock_guard lock(mutex_);
        return std::exchange(gaps_, {});
    }

private:
    static GstPadProbeReturn onData(GstPad*, GstPadProbeInfo* info, gpointer self) {
        const auto now = Clock::now();
        auto* out = static_cast<Output*>(self);
        std::lock_guard lock(out->mutex_);
        if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
            if (!out->first_) {
                out->first_ = now;
                out->arrived_.notify_all();
            }
            if (out->ended_) {
                out->gaps_.push_back(msSince(*out->ended_, now));
                out->ended_.reset();
            }
            const GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
            out->lastLength_ = std::chrono::nanoseconds(
                GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0);
        } else if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS) {
            // A clocked output lets the next item in only once the one before is due, so the end
            // arrives as the last buffer starts to sound, and the sound stops one buffer later.
            out->ended_ = now + out->lastLength_;
        }
        return GST_PAD_PROBE_OK;
    }

    GstPad* pad_;
    gulong probe_ = 0;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::optional<Clock::time_point> first_;
    std::optional<Clock::time_point> ended_;
    std::chrono::nanoseconds lastLength_{0};
    std::vector<double> gaps_;
};

// GStreamer components whose output is watched; each player load makes a new one.
class WatchedFactory final : public MediaFactory {
public:
    explicit WatchedFactory(const char* sink = "fakeaudiosink") : sink_(sink) {}
    std::unique_ptr<Media> create() override {
        GstElement* sink = makeAudioSink(sink_);
        output = std::make_unique<Output>(sink);
        return std::make_unique<GstMedia>(sink);
    }
    std::unique_ptr<Output> output;

private:
    const char* sink_;
};

// A program folder with 20 generated tracks in one list.
class ToneFolder {
public:
    explicit ToneFolder(double seconds, int tracks = 20) {
        QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile"));
        QStringList paths;
        for (int i = 0; i < tracks; ++i) {
            const QString path = dir_.filePath(QStringLiteral("tone%1.wav").arg(i));
            if (i < 2) {
                ok_ = ok_ && testing::writeTone(path, testing::ToneFormat::Wav, seconds).isEmpty();
            } else {
                QFile::copy(dir_.filePath(QStringLiteral("tone%1.wav").arg(i % 2)), path);
            }
            paths << path;
        }
        DiskFiles disk;
        disk.write(list(), playlist::listFileBytes(paths));
        disk.writeText(dir_.filePath(settings::kDefaultPlf), dir_.filePath(settings::kDefaultPlayList));
        disk.write(dir_.filePath(settings::kDefaultPlayList), {});
    }
    bool ok() const { return ok_; }
    QString path() const { return dir_.path(); }
    QString list() const { return dir_.filePath(QStringLiteral("PlayListFile/day.PLF")); }

private:
    QTemporaryDir dir_;
    bool ok_ = true;
};

struct Program {
    Program(const QString& folder, const char* sink)
        : fake(folder), gst(sink), platform(fake.withMedia(gst)), broadcaster(platform) {}
    fakes::FakePlatform fake;
    WatchedFactory gst;
    Platform platform;
    Broadcaster broadcaster;
};

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A broadcast entry fired to its first buffer at the output, the player loaded or to be made.
void BM_BroadcastToFirstBuffer(benchmark::State& state) {
    const bool loaded = state.range(0) != 0;
    ToneFolder folder(0.5);
    if (!folder.ok()) {
        state.SkipWithError("cannot render tones");
        return;
    }
    Program program(folder.path(), "fakeaudiosink");
    std::vector<double> runs;
    for (auto _ : state) {
        state.PauseTiming();
        if (loaded) {
            program.broadcaster.showPlayer();
            program.broadcaster.session()->playback().stop();
        } else {
            program.broadcaster.broadcastOff();
        }
        settle();
        if (program.gst.output) {
            program.gst.output->arm();
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        program.broadcaster.broadcastOn(folder.list(), PlayOrder::Stored);
        const auto at = program.gst.output->waitFirst();
        if (!at) {
            state.SkipWithError("the broadcast never reached the output");
            return;
        }
        const double ms = msSince(start, *at);
        runs.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    program.broadcaster.broadcastOff();
    settle();
    report(state, runs);
}

// From the moment one track's last sound has played to the next track's first buffer at the output,
// tracks played in real time.
void BM_TrackToTrackGap(benchmark::State& state) {
    ToneFolder folder(0.2, 2);
    if (!folder.ok()) {
        state.SkipWithError("cannot render tones");
        return;
    }
    Program program(folder.path(), "fakeaudiosink");
    program.broadcaster.showPlayer();
    program.broadcaster.session()->playback().setMode(PlayMode::RepeatAll);
    program.broadcaster.broadcastOn(folder.list(), PlayOrder::Stored);
    std::vector<double> gaps;
    for (auto _ : state) {
        std::vector<double> got;
        if (!runUntil(
                [&] {
                    got = program.gst.output->takeGaps();
                    return !got.empty();
                },
                5000)) {
            state.SkipWithError("no track followed another");
            return;
        }
        gaps.insert(gaps.end(), got.begin(), got.end());
        state.SetIterationTime(got.front() / 1000.0);
    }
    program.broadcaster.broadcastOff();
    settle();
    report(state, gaps);
}

// Memory over 1,000 track changes, decoded as fast as they come, after 100 to warm up.
void BM_RssOver1000Advances(benchmark::State& state) {
    ToneFolder folder(0.05, 2);
    if (!folder.ok()) {
        state.SkipWithError("cannot render tones");
        return;
    }
    Program program(folder.path(), "fakeaudiosink sync=false");
    program.broadcaster.showPlayer();
    Playback& playback = program.broadcaster.session()->playback();
    playback.setMode(PlayMode::RepeatAll);
    int opened = 0;
    QObject::connect(&playback, &Playback::trackOpened, [&] { ++opened; });
    program.broadcaster.broadcastOn(folder.list(), PlayOrder::Stored);
    for (auto _ : state) {
        if (!runUntil([&] { return opened >= 100; }, 30000)) {
            state.SkipWithError("the list did not advance");
            return;
        }
        const qint64 before = rssKb();
        const auto start = Clock::now();
        if (!runUntil([&] { return opened >= 1100; }, 120000)) {
            state.SkipWithError("the list did not advance");
            return;
        }
        state.SetIterationTime(msSince(start) / 1000.0);
        state.counters["rss_growth_kb"] = double(rssKb() - before);
        state.counters["advances"] = opened - 100;
    }
    program.broadcaster.broadcastOff();
    settle();
}

BENCHMARK(BM_CleanLoad100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_Open100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_BroadcastToFirstBuffer)
    ->ArgName("loaded")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);
BENCHMARK(BM_TrackToTrackGap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RssOver1000Advances)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (!initMedia()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
