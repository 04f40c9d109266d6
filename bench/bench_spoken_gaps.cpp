// The pauses inside a spoken announcement: its word files played as one stream and one file after
// another, against the same words joined into one file beforehand (the anchor), on a private
// PulseAudio server's null sink whose monitor is recorded. Each word is an unbroken tone, so any quiet
// stretch between the first and the last sound is a seam that was heard.
//
//   bench_spoken_gaps [runs [words]]      prints, per way: the announcement's length beyond the joined
//                                         file's, and the longest and the summed quiet seam

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <mutex>
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
constexpr float kThreshold = 0.05f;        // the tones peak at 0.5
constexpr int kSeamFrames = kRate / 1000;  // quiet for a millisecond is a seam; a sine's zero is far shorter
constexpr double kWordSeconds = 0.25;

// Records the null sink's monitor while it lives.
class Recorder {
public:
    explicit Recorder(const QByteArray& server)
        : monitor_(server, "seams", [this](const std::vector<float>& fragment, Clock::time_point) {
              std::lock_guard lock(mutex_);
              samples_.insert(samples_.end(), fragment.begin(), fragment.end());
          }) {}
    bool ok() const { return monitor_.ok(); }
    std::vector<float> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(samples_, {});
    }

private:
    std::mutex mutex_;
    std::vector<float> samples_;
    quel::bench::SpeakersMonitor monitor_;  // last: its thread stops before the samples go
};

struct Heard {
    double lengthMs = 0;  // from the first sound to the last
    double longestSeamMs = 0;
    double seamsMs = 0;
};

Heard analyse(const std::vector<float>& samples) {
    Heard heard;
    const auto loud = [](float s) { return std::fabs(s) >= kThreshold; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
    if (first == samples.end())
        return heard;
    const auto end = last.base();
    heard.lengthMs = 1000.0 * double(end - first) / kRate;
    long quiet = 0;
    for (auto it = first; it != end; ++it) {
        if (!loud(*it)) {
            ++quiet;
            continue;
        }
        if (quiet >= kSeamFrames) {
            const double ms = 1000.0 * double(quiet) / kRate;
            heard.seamsMs += ms;
            heard.longestSeamMs = std::max(heard.longestSeamMs, ms);
        }
        quiet = 0;
    }
    return heard;
}

void spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!done() && Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// Plays one announcement, which ends after `ends` ends of stream, and gives what the monitor heard of it.
Heard listen(Recorder& recorder, quel::GstMedia& media, const std::function<void()>& start, int ends) {
    int ended = 0;
    const auto connection = QObject::connect(&media, &quel::Media::endOfStream, [&ended] { ++ended; });
    spinUntil([] { return false; }, std::chrono::milliseconds(300));
    recorder.take();
    start();
    spinUntil([&] { return ended >= ends; }, std::chrono::seconds(20));
    QObject::disconnect(connection);
    spinUntil([] { return false; }, std::chrono::milliseconds(400));  // the sink's queue drains
    media.setFileName(QString());
    return analyse(recorder.take());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int words = argc > 2 ? std::max(2, std::atoi(argv[2])) : 6;
    quel::fakes::PrivatePulse pulse;
    if (!quel::bench::onPrivateSpeakers(pulse))
        return 0;
    QTemporaryDir dir;
    QStringList parts;
    for (int i = 0; i < words; ++i) {
        parts << dir.filePath(QStringLiteral("word%1.wav").arg(i));
        if (!quel::testing::writeTone(parts.last(), ToneFormat::Wav, kWordSeconds).isEmpty())
            return 1;
    }
    const QString joined = dir.filePath(QStringLiteral("joined.wav"));
    if (!quel::testing::writeTone(joined, ToneFormat::Wav, kWordSeconds * words).isEmpty())
        return 1;
    Recorder recorder(pulse.server());
    if (!recorder.ok()) {
        std::printf("cannot read the monitor\n");
        return 1;
    }

    quel::GstMedia media;
    int next = 0;
    QObject::connect(&media, &quel::Media::endOfStream, [&] {
        if (next > 0 && next < parts.size())
            media.setFileName(parts.at(next++));
    });
    struct Way {
        const char* name;
        std::function<void()> start;
        int ends;  // how many ends of stream the announcement takes
    };
    const std::vector<Way> ways = {
        {"the words joined beforehand (anchor)",
         [&] {
             next = 0;
             media.setFileName(joined);
         },
         1},
        {"one stream of the word files",
         [&] {
             next = 0;
             media.setFileNames(parts);
         },
         1},
        {"one word file after another",
         [&] {
             next = 1;
             media.setFileName(parts.first());
         },
         words},
    };
    double anchor = 0;
    for (const auto& [name, start, ends] : ways) {
        std::vector<double> length, longest, seams;
        for (int i = 0; i < runs; ++i) {
            const Heard heard = listen(recorder, media, start, ends);
            length.push_back(heard.lengthMs);
            longest.push_back(heard.longestSeamMs);
            seams.push_back(heard.seamsMs);
        }
        if (anchor == 0)
            anchor = median(length);
        std::printf(
            "%-38s %d words: length %+7.1f ms beyond the anchor, longest seam %5.1f ms, seams %6.1f ms "
            "(medians of %d)\n",
            name, words, median(length) - anchor, median(longest), median(seams), runs);
    }
    return 0;
}
