// A tone opened ahead of its second: however it is then started, it sounds from where it should to its
// very end, and a cued tone on a real sound server is not heard as late as it waited.

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/private_pulse.h"
#include "measuring_sink.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "tone_files.h"

using quel::GstMedia;
using quel::Media;
using quel::testing::MeasuringSink;
using quel::testing::ToneFormat;

Q_DECLARE_METATYPE(ToneFormat)

namespace {

constexpr int kWait = 10000;
constexpr double kToneSeconds = 2.0;

enum class Start { NameWritten, Play, FromPosition };

}  // namespace

Q_DECLARE_METATYPE(Start)

class CuedToneTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soundsFromWhereItStartsToItsEnd_data();
    void soundsFromWhereItStartsToItsEnd();
    void isNotHeardAsLateAsItWaited();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void CuedToneTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty(quel::kAudioSinkVariable))
        qputenv(quel::kAudioSinkVariable, "fakeaudiosink");
    QVERIFY(quel::initMedia());
    QVERIFY(dir_.isValid());
    QVERIFY(quel::testing::writeTone(path("tone.wav"), ToneFormat::Wav, kToneSeconds).isEmpty());
    QVERIFY(quel::testing::writeTone(path("tone.flac"), ToneFormat::Flac, kToneSeconds).isEmpty());
}

void CuedToneTest::soundsFromWhereItStartsToItsEnd_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<Start>("start");
    QTest::addColumn<double>("from");  // seconds into the tone
    // Formats whose length is known once they are open, which tells the test they are; an MP3 learns its
    // length only as it plays.
    for (const char* file : {"tone.wav", "tone.flac"}) {
        QTest::addRow("%s: its name written on the second", file) << file << Start::NameWritten << 0.0;
        QTest::addRow("%s: play", file) << file << Start::Play << 0.0;
        QTest::addRow("%s: a position set, then play", file) << file << Start::FromPosition << 1.0;
    }
}

void CuedToneTest::soundsFromWhereItStartsToItsEnd() {
    QFETCH(QString, file);
    QFETCH(Start, start);
    QFETCH(double, from);
    MeasuringSink sink;
    GstMedia media(sink.element());
    QSignalSpy ended(&media, &Media::endOfStream);
    QSignalSpy duration(&media, &Media::durationChanged);
    media.cue(path(file));
    QTRY_COMPARE_WITH_TIMEOUT(duration.count(), 1, kWait);  // open and prerolled
    QVERIFY(media.isCued());

    switch (start) {
        case Start::NameWritten:
            media.stop();
            media.setFileName(path(file));
            media.play();
            break;
        case Start::Play:
            media.play();
            break;
        case Start::FromPosition:
            media.setPosition(from);
            media.play();
            break;
    }
    QVERIFY(!media.isCued());
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QVERIFY(sink.waitForEnd(kWait));
    // Every sample from the start on, and none of the part before it.
    const double expected = (kToneSeconds - from) * quel::testing::kToneRate;
    const double slack = 0.03 * quel::testing::kToneRate;
    QVERIFY2(std::abs(double(sink.frames()) - expected) < slack,
             qPrintable(QStringLiteral("%1 frames, %2 expected").arg(sink.frames()).arg(expected)));
    QCOMPARE(duration.count(), 1);  // started, not opened again
}

// The fault this guards against was seconds long: a file held ready on a PulseAudio output was heard
// only after as long again as it had waited. Here it waits far longer than it plays.
void CuedToneTest::isNotHeardAsLateAsItWaited() {
    if (!quel::fakes::PrivatePulse::available())
        QSKIP("pulseaudio is not installed");
    quel::fakes::PrivatePulse pulse;
    QString why;
    QVERIFY2(pulse.start(&why), qPrintable(why));
    GstElement* output = quel::makeAudioSink("pulsesink");
    QVERIFY(output);
    GstMedia media(output);
    QSignalSpy ended(&media, &Media::endOfStream);
    QSignalSpy duration(&media, &Media::durationChanged);
    const QString tone = path("tone.wav");
    media.cue(tone);
    QTRY_COMPARE_WITH_TIMEOUT(duration.count(), 1, kWait);
    constexpr int kHeldMs = 6000;
    QTest::qWait(kHeldMs);

    QElapsedTimer sounding;
    sounding.start();
    media.setFileName(tone);
    QVERIFY(ended.wait(kWait + kHeldMs));
    // Its own two seconds, and well short of the wait on top.
    QVERIFY2(sounding.elapsed() < kToneSeconds * 1000 + kHeldMs / 2,
             qPrintable(QString::number(sounding.elapsed())));
    QVERIFY(sounding.elapsed() >= kToneSeconds * 1000 * 0.9);  // not cut short either
}

QTEST_GUILESS_MAIN(CuedToneTest)
#include "cued_tone_test.moc"
