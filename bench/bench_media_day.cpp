// A day of tones in a few seconds: the threads and the resident memory of the process while a tone
// component rings 1,000 tones (each let go at its end, as the alarm does), some of them cued ahead,
// and while 1,000 components are made, play once and are destroyed. Decoded as fast as it comes
// (no clock), so only what is left behind counts. Nothing may grow once the first few have run.
//
//   bench_media_day [tones]

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"

namespace {

constexpr int kWaitMs = 10000;
constexpr double kToneSeconds = 0.05;

struct Usage {
    long threads = 0;
    long rssKb = 0;
};

Usage usage() {
    Usage u;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return u;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
        if (line.startsWith("Threads:"))
            u.threads = value.toLong();
        else if (line.startsWith("VmRSS:"))
            u.rssKb = value.split(' ').first().toLong();
    }
    return u;
}

void report(const char* what, int done, const Usage& u) {
    std::printf("%-40s after %5d: threads %3ld   RSS %7ld kB\n", what, done, u.threads, u.rssKb);
    std::fflush(stdout);
}

// One tone to its end, then the component is let go; false when it never ended.
bool ringOnce(quel::GstMedia& media, const QString& path, bool cueFirst) {
    QSignalSpy ended(&media, &quel::Media::endOfStream);
    if (cueFirst)
        media.cue(path);
    media.stop();
    media.setFileName(path);
    media.play();
    const bool ok = ended.count() > 0 || ended.wait(kWaitMs);
    media.setFileName(QString());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int tones = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    // No clock: a tone plays as fast as it decodes.
    qputenv(quel::kAudioSinkVariable, "fakesink sync=false");
    if (!quel::initMedia())
        return 1;
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    if (!quel::testing::writeTone(wav, quel::testing::ToneFormat::Wav, kToneSeconds).isEmpty() ||
        !quel::testing::writeTone(mp3, quel::testing::ToneFormat::Mp3, kToneSeconds).isEmpty())
        return 1;

    report("start", 0, usage());
    int failed = 0;
    {
        quel::GstMedia media;
        for (int i = 1; i <= tones; ++i) {
            failed += ringOnce(media, i % 2 ? wav : mp3, i % 3 == 0) ? 0 : 1;
            if (i == 10 || i == tones / 10 || i == tones / 2 || i == tones)
                report("one component, tones rung", i, usage());
        }
    }
    for (int i = 1; i <= tones; ++i) {
        auto media = std::make_unique<quel::GstMedia>();
        failed += ringOnce(*media, i % 2 ? wav : mp3, false) ? 0 : 1;
        media.reset();
        QCoreApplication::processEvents();
        if (i == 10 || i == tones / 10 || i == tones / 2 || i == tones)
            report("components made, played, destroyed", i, usage());
    }
    std::printf("tones that never ended: %d\n", failed);
    // So that GST_TRACERS=leaks can name what a tone left behind.
    gst_deinit();
    return failed == 0 ? 0 : 1;
}
