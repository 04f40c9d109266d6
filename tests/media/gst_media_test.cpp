// The media component played through real GStreamer: generated files, decoded in real time by
// fakeaudiosink (or measured by a test output), so ends, positions and levels are those a listener
// would get.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

#include "measuring_sink.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "tone_files.h"

using quel::GstMedia;
using quel::Media;
using quel::testing::MeasuringSink;
using quel::testing::ToneFormat;

namespace {

constexpr int kWait = 10000;
constexpr double kShort = 0.5;
constexpr double kOne = 1.0;
constexpr double kThree = 3.0;
constexpr double kSeekTarget = 2.0;
constexpr double kPositionSlack = 0.05;

// How a test lets go of a file whose end is already on its way.
enum LetGo { kEmptyName, kStop, kNextFile };

}  // namespace

class GstMediaTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void endsOnceForEveryFormat_data();
    void endsOnceForEveryFormat();
    void emptyFileNameSilencesAndIdles();
    void pauseHoldsThePositionAndPlayContinues();
    void seeks_data();
    void seeks();
    void playsAgainAfterTheEnd_data();
    void playsAgainAfterTheEnd();
    void unplayableFilesStaySilent_data();
    void unplayableFilesStaySilent();
    void reportsAFileThatCannotPlayOnceAndLater_data();
    void reportsAFileThatCannotPlayOnceAndLater();
    void dropsTheFailureOfANameThatWasReplaced();
    void announcesTheDurationOnceTheFileIsOpen();
    void replacingAFileEndsOnlyTheNewOne();
    void dropsTheEndOfAFileThatWasLetGo_data();
    void dropsTheEndOfAFileThatWasLetGo();
    void volumeBalanceAndMuteShapeTheSamples_data();
    void volumeBalanceAndMuteShapeTheSamples();
    void playsASequenceAsOneStream_data();
    void playsASequenceAsOneStream();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    bool make(const QString& name, ToneFormat format, double seconds);
    bool letPlay(const QString& name);

    QTemporaryDir dir_;
};

bool GstMediaTest::make(const QString& name, ToneFormat format, double seconds) {
    const QString why = quel::testing::writeTone(path(name), format, seconds);
    if (!why.isEmpty()) {
        qWarning() << "Cannot render" << name << ":" << why;
    }
    return why.isEmpty();
}

// Plays a file to its end on a component of its own: real playback time in which a notification
// that should never come would have come.
bool GstMediaTest::letPlay(const QString& name) {
    GstMedia witness;
    QSignalSpy ended(&witness, &Media::endOfStream);
    witness.setFileName(path(name));
    return ended.wait(kWait);
}

// Tracks the lowest position read until the component has ended `ends` times.
static double lowestPositionUntil(const GstMedia& media, const QSignalSpy& ended, int ends) {
    double lowest = std::numeric_limits<double>::max();
    QDeadlineTimer deadline(kWait);
    while (ended.count() < ends && !deadline.hasExpired()) {
        lowest = std::min(lowest, media.position());
        QTest::qWait(5);
    }
    return lowest;
}

void GstMediaTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty(quel::kAudioSinkVariable)) {
        qputenv(quel::kAudioSinkVariable, "fakeaudiosink");
    }
    QVERIFY(quel::initMedia());
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("上课 铃")));
    QVERIFY(make(QStringLiteral("short.wav"), ToneFormat::Wav, kShort));
    QVERIFY(make(QStringLiteral("short.mp3"), ToneFormat::Mp3, kShort));
    QVERIFY(make(QStringLiteral("short.ogg"), ToneFormat::Ogg, kShort));
    QVERIFY(make(QStringLiteral("short.flac"), ToneFormat::Flac, kShort));
    QVERIFY(make(QStringLiteral("上课 铃/第1节 #a.wav"), ToneFormat::Wav, kShort));
    QVERIFY(make(QStringLiteral("one.wav"), ToneFormat::Wav, kOne));
    QVERIFY(make(QStringLiteral("three.wav"), ToneFormat::Wav, kThree));

    QFile text(path(QStringLiteral("notes.mp3")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Not a sound: a note someone saved with the wrong name.\r\n");
    text.close();
    QFile empty(path(QStringLiteral("empty.wav")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    // A play list of another program that points at a sound instead of being one.
    QFile meta(path(QStringLiteral("radio.asx")));
    QVERIFY(meta.open(QIODevice::WriteOnly));
    meta.write("<ASX version=\"3.0\">\r\n<Entry><Ref href=\"short.wav\"/></Entry>\r\n</ASX>\r\n");
    meta.close();
}

void GstMediaTest::endsOnceForEveryFormat_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("slack");
    const double tight = 0.03;
    const double mp3Padding = 0.1;  // the encoder adds a frame or two of silence
    QTest::addRow("a WAV file ends once") << path(QStringLiteral("short.wav")) << tight;
    QTest::addRow("an MP3 file ends once") << path(QStringLiteral("short.mp3")) << mp3Padding;
    QTest::addRow("an Ogg Vorbis file ends once") << path(QStringLiteral("short.ogg")) << tight;
    QTest::addRow("a FLAC file ends once") << path(QStringLiteral("short.flac")) << tight;
    QTest::addRow("a path with spaces, Chinese and # ends once")
        << path(QStringLiteral("上课 铃/第1节 #a.wav")) << tight;
    QTest::addRow("a file URI ends once")
        << QUrl::fromLocalFile(path(QStringLiteral("short.wav"))).toString() << tight;
}

void GstMediaTest::endsOnceForEveryFormat() {
    QFETCH(QString, file);
    QFETCH(double, slack);
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);

    media.setFileName(file);
    QCOMPARE(media.fileName(), file);
    QTRY_VERIFY_WITH_TIMEOUT(media.duration() > 0, kWait);
    QVERIFY2(qAbs(media.duration() - kShort) <= slack, qPrintable(QString::number(media.duration())));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QVERIFY2(media.position() >= kShort - slack, qPrintable(QString::number(media.position())));

    QVERIFY(letPlay(QStringLiteral("short.wav")));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(media.fileName(), file);
}

void GstMediaTest::emptyFileNameSilencesAndIdles() {
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("one.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(media.position() > 0.1, kWait);

    media.setFileName(QString());
    QCOMPARE(media.fileName(), QString());
    QCOMPARE(media.duration(), 0.0);
    QCOMPARE(media.position(), 0.0);
    media.play();  // nothing is open, so nothing starts
    QVERIFY(letPlay(QStringLiteral("one.wav")));
    QCOMPARE(ended.count(), 0);
    QCOMPARE(media.position(), 0.0);
}

void GstMediaTest::pauseHoldsThePositionAndPlayContinues() {
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("three.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(media.position() > 0.3, kWait);

    media.pause();
    const double held = media.position();
    QVERIFY(letPlay(QStringLiteral("short.wav")));
    QVERIFY2(qAbs(media.position() - held) < 0.02,
             qPrintable(QStringLiteral("%1 then %2").arg(held).arg(media.position())));
    QVERIFY(media.duration() > kThree - kPositionSlack);

    media.play();
    QTRY_VERIFY_WITH_TIMEOUT(media.position() > held + 0.2, kWait);
    media.play();  // play while playing goes on; it does not start over
    QVERIFY(media.position() > held + 0.2);
    QCOMPARE(ended.count(), 0);
}

void GstMediaTest::seeks_data() {
    QTest::addColumn<bool>("waitForStart");
    QTest::addColumn<bool>("paused");
    QTest::addRow("a seek written before the file has started is kept") << false << false;
    QTest::addRow("a seek while playing moves on from there") << true << false;
    QTest::addRow("a seek while paused continues from there on play") << true << true;
}

void GstMediaTest::seeks() {
    QFETCH(bool, waitForStart);
    QFETCH(bool, paused);
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("three.wav")));
    if (waitForStart) {
        QTRY_VERIFY_WITH_TIMEOUT(media.position() > 0.1, kWait);
    }
    if (paused) {
        media.pause();
    }

    media.setPosition(kSeekTarget);
    QVERIFY2(media.position() >= kSeekTarget - kPositionSlack, qPrintable(QString::number(media.position())));
    if (paused) {
        QVERIFY(letPlay(QStringLiteral("short.wav")));
        QVERIFY(qAbs(media.position() - kSeekTarget) < kPositionSlack);
        QCOMPARE(ended.count(), 0);
        media.play();
    }
    const double lowest = lowestPositionUntil(media, ended, 1);
    QCOMPARE(ended.count(), 1);
    QVERIFY2(lowest >= kSeekTarget - kPositionSlack, qPrintable(QString::number(lowest)));
}

void GstMediaTest::playsAgainAfterTheEnd_data() {
    QTest::addColumn<bool>("fromHandler");
    QTest::addRow("play in the end handler repeats the track") << true;
    QTest::addRow("play after the end starts over") << false;
}

void GstMediaTest::playsAgainAfterTheEnd() {
    QFETCH(bool, fromHandler);
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    if (fromHandler) {
        connect(&media, &Media::endOfStream, &media, [&media, &ended] {
            if (ended.count() == 1) {
                media.play();
            }
        });
    }
    media.setFileName(path(QStringLiteral("short.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    if (!fromHandler) {
        QVERIFY(media.position() > kShort - kPositionSlack);
        media.play();
    }

    const double lowest = lowestPositionUntil(media, ended, 2);
    QCOMPARE(ended.count(), 2);
    QVERIFY2(lowest < 0.2, qPrintable(QString::number(lowest)));
    QVERIFY(media.position() > kShort - kPositionSlack);
}

void GstMediaTest::unplayableFilesStaySilent_data() {
    QTest::addColumn<QString>("file");
    QTest::addRow("a missing file") << path(QStringLiteral("none.wav"));
    QTest::addRow("a text file named like an MP3") << path(QStringLiteral("notes.mp3"));
    QTest::addRow("an empty file") << path(QStringLiteral("empty.wav"));
    QTest::addRow("a folder") << dir_.path();
}

void GstMediaTest::unplayableFilesStaySilent() {
    QFETCH(QString, file);
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    QSignalSpy refused(&media, &Media::failed);

    // The main window's order for a tone.
    media.stop();
    media.setFileName(file);
    media.play();
    QVERIFY(letPlay(QStringLiteral("short.wav")));
    QCOMPARE(ended.count(), 0);
    // Said once, so that the history holds one failure per sound that did not play.
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.first().first().toString(), file);
    QCOMPARE(media.fileName(), file);
    QCOMPARE(media.duration(), 0.0);
    QCOMPARE(media.position(), 0.0);
    media.pause();
    media.setPosition(1.0);
    QCOMPARE(media.position(), 0.0);

    media.setFileName(path(QStringLiteral("short.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QCOMPARE(refused.count(), 1);
}

void GstMediaTest::reportsAFileThatCannotPlayOnceAndLater_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("output");
    QTest::addRow("a missing file") << path(QStringLiteral("none.wav")) << QByteArray();
    QTest::addRow("a text file named like an MP3") << path(QStringLiteral("notes.mp3")) << QByteArray();
    QTest::addRow("an empty file") << path(QStringLiteral("empty.wav")) << QByteArray();
    QTest::addRow("a folder") << dir_.path() << QByteArray();
    QTest::addRow("a metafile (.asx)") << path(QStringLiteral("radio.asx")) << QByteArray();
    // The output breaks down after some buffers have played, as a device or a damaged file would.
    QTest::addRow("an error in the middle of the file")
        << path(QStringLiteral("three.wav")) << QByteArray("identity error-after=20 ! fakeaudiosink");
}

void GstMediaTest::reportsAFileThatCannotPlayOnceAndLater() {
    QFETCH(QString, file);
    QFETCH(QByteArray, output);
    GstMedia media(output.isEmpty() ? nullptr : quel::makeAudioSink(output));
    QSignalSpy failed(&media, &Media::failed);
    QSignalSpy ended(&media, &Media::endOfStream);

    media.setFileName(file);
    QCOMPARE(failed.count(), 0);  // never from inside the call that wrote the name
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWait);
    QCOMPARE(failed.at(0).at(0).toString(), file);
    media.play();  // a second try of the same name is not a second report
    QVERIFY(letPlay(QStringLiteral("short.wav")));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(ended.count(), 0);
    QCOMPARE(media.fileName(), file);
}

void GstMediaTest::dropsTheFailureOfANameThatWasReplaced() {
    GstMedia media;
    QSignalSpy failed(&media, &Media::failed);
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("none.wav")));
    media.setFileName(path(QStringLiteral("short.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QCOMPARE(failed.count(), 0);

    media.setFileName(path(QStringLiteral("none.wav")));
    media.setFileName(QString());
    QVERIFY(letPlay(QStringLiteral("short.wav")));
    QCOMPARE(failed.count(), 0);
}

void GstMediaTest::announcesTheDurationOnceTheFileIsOpen() {
    GstMedia media;
    QSignalSpy duration(&media, &Media::durationChanged);
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("one.wav")));
    QCOMPARE(duration.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QCOMPARE(duration.count(), 1);
    QVERIFY(qAbs(duration.at(0).at(0).toDouble() - kOne) < 0.03);

    // Each file written is announced anew, the same file again included.
    media.setFileName(path(QStringLiteral("one.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, kWait);
    QCOMPARE(duration.count(), 2);
}

void GstMediaTest::replacingAFileEndsOnlyTheNewOne() {
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    media.setFileName(path(QStringLiteral("three.wav")));
    QTRY_VERIFY_WITH_TIMEOUT(media.position() > 0.1, kWait);

    media.stop();  // the main window stops before it writes the next name
    media.setFileName(path(QStringLiteral("short.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QVERIFY(media.duration() < kOne);
    QVERIFY(letPlay(QStringLiteral("one.wav")));
    QCOMPARE(ended.count(), 1);
}

void GstMediaTest::dropsTheEndOfAFileThatWasLetGo_data() {
    QTest::addColumn<int>("action");
    QTest::addRow("an end already on its way is dropped by the empty file name") << int(kEmptyName);
    QTest::addRow("an end already on its way is dropped by stop") << int(kStop);
    QTest::addRow("an end already on its way is not taken for the end of the next file") << int(kNextFile);
}

void GstMediaTest::dropsTheEndOfAFileThatWasLetGo() {
    QFETCH(int, action);
    MeasuringSink sink;
    GstMedia media(sink.element());
    QSignalSpy ended(&media, &Media::endOfStream);
    double positionAtFirstEnd = -1;
    connect(&media, &Media::endOfStream, &media, [&media, &positionAtFirstEnd] {
        if (positionAtFirstEnd < 0) {
            positionAtFirstEnd = media.position();
        }
    });
    media.setFileName(path(QStringLiteral("short.wav")));

    // No Qt event runs while waiting, so the end message is on its way when the file is let go.
    QVERIFY(sink.waitForEnd(kWait));
    switch (action) {
        case kEmptyName:
            media.setFileName(QString());
            break;
        case kStop:
            media.stop();
            break;
        case kNextFile:
            sink.setRealTime(true);
            media.setFileName(path(QStringLiteral("short.wav")));
            QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
            QVERIFY2(positionAtFirstEnd >= kShort - kPositionSlack,
                     qPrintable(QString::number(positionAtFirstEnd)));
            return;
    }
    QCoreApplication::sendPostedEvents();
    QCOMPARE(ended.count(), 0);
}

void GstMediaTest::volumeBalanceAndMuteShapeTheSamples_data() {
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("balance");
    QTest::addColumn<bool>("mute");
    QTest::addColumn<int>("volumeRead");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("right");
    const double full = quel::testing::kToneAmplitude;
    const double minus6Db = full * 0.501187;
    QTest::addRow("full volume at the centre keeps both sides") << 0 << 0 << false << 0 << full << full;
    QTest::addRow("-6 dB halves the level") << -600 << 0 << false << -600 << minus6Db << minus6Db;
    QTest::addRow("-20 dB is a tenth") << -2000 << 0 << false << -2000 << full / 10 << full / 10;
    QTest::addRow("-100 dB is silence") << -10000 << 0 << false << -10000 << 0.0 << 0.0;
    QTest::addRow("above full volume is held at full") << 600 << 0 << false << 0 << full << full;
    QTest::addRow("left only silences the right") << 0 << -10000 << false << 0 << full << 0.0;
    QTest::addRow("right only silences the left") << 0 << 10000 << false << 0 << 0.0 << full;
    QTest::addRow("half left halves the right and mixes nothing")
        << 0 << -5000 << false << 0 << full << full / 2;
    QTest::addRow("volume and balance together") << -600 << 10000 << false << -600 << 0.0 << minus6Db;
    QTest::addRow("mute silences both sides and keeps the volume") << -600 << 0 << true << -600 << 0.0 << 0.0;
}

void GstMediaTest::volumeBalanceAndMuteShapeTheSamples() {
    QFETCH(int, volume);
    QFETCH(int, balance);
    QFETCH(bool, mute);
    QFETCH(int, volumeRead);
    QFETCH(double, left);
    QFETCH(double, right);
    const double tolerance = 0.01;
    MeasuringSink sink;
    GstMedia media(sink.element());
    QSignalSpy ended(&media, &Media::endOfStream);

    // Written before any file, as the windows do at start-up.
    media.setVolume(volume);
    media.setBalance(balance);
    media.setMute(mute);
    media.setFileName(path(QStringLiteral("short.wav")));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);

    QCOMPARE(media.volume(), volumeRead);
    QVERIFY(sink.frames() >= qint64(kShort * quel::testing::kToneRate * 0.9));
    QVERIFY2(qAbs(sink.peak(0) - left) < tolerance, qPrintable(QString::number(sink.peak(0))));
    QVERIFY2(qAbs(sink.peak(1) - right) < tolerance, qPrintable(QString::number(sink.peak(1))));
}

void GstMediaTest::playsASequenceAsOneStream_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<double>("seconds");  // heard in all; 0 when nothing can play
    const QString shortWav = QStringLiteral("short.wav");
    const QString one = QStringLiteral("one.wav");
    const QString missing = QStringLiteral("missing.wav");
    QTest::addRow("each file once, in order") << QStringList{shortWav, one, shortWav} << 2 * kShort + kOne;
    QTest::addRow("a missing file in the middle is left out")
        << QStringList{shortWav, missing, one} << kShort + kOne;
    QTest::addRow("a missing first file is left out") << QStringList{missing, one} << kOne;
    QTest::addRow("a folder is left out")
        << QStringList{one, QStringLiteral("上课 铃"), shortWav} << kOne + kShort;
    QTest::addRow("none can play") << QStringList{missing, QStringLiteral("gone.wav")} << 0.0;
}

void GstMediaTest::playsASequenceAsOneStream() {
    QFETCH(QStringList, names);
    QFETCH(double, seconds);
    MeasuringSink sink;
    GstMedia media(sink.element());
    QSignalSpy ended(&media, &Media::endOfStream);
    QSignalSpy failed(&media, &Media::failed);
    QStringList paths;
    for (const QString& name : names) {
        paths << path(name);
    }

    QVERIFY(media.setFileNames(paths));
    QCOMPARE(media.fileName(), paths.first());
    if (seconds == 0.0) {
        QVERIFY(failed.wait(kWait));
        QCOMPARE(failed.first().first().toString(), paths.first());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QCOMPARE(failed.count(), 0);
    // Decoded without a clock, so a missing or repeated file shows in the count, not in the time.
    const double heard = double(sink.frames()) / quel::testing::kToneRate;
    QVERIFY2(qAbs(heard - seconds) < 0.02, qPrintable(QString::number(heard)));
}

QTEST_GUILESS_MAIN(GstMediaTest)
#include "gst_media_test.moc"
