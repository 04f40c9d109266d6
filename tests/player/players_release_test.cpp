// Every kind of player, played to its end through real GStreamer, leaves no thread behind: a school day
// rings sixty of them, and a pipeline kept paused at its end would hold its streaming threads (and, on a
// sound server, its stream) until the next bell of the same kind.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "bells/alarm.h"
#include "bells/chime.h"
#include "bells/chime_rules.h"
#include "fakes/fake_platform.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/measuring_sink.h"
#include "media/tone_files.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;
using quel::testing::ToneFormat;

namespace {

constexpr int kWaitMs = 10000;
constexpr double kToneSeconds = 0.3;

int threadCount() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Whether an output has gone back to NULL with its pipeline, which then holds no thread and no device.
bool atRest(const testing::MeasuringSink& output) {
    GstElement* element = output.element();
    GstState state = GST_STATE_VOID_PENDING;
    gst_element_get_state(element, &state, nullptr, 0);
    gst_object_unref(element);
    return state == GST_STATE_NULL;
}

// The broadcast player's components, each made when the player loads, sound into one output.
class MeasuredFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override { return std::make_unique<GstMedia>(output.element()); }
    testing::MeasuringSink output;
};

enum class Kind { Tone, Chime, Broadcast, SpokenTime };

}  // namespace

Q_DECLARE_METATYPE(Kind)

class PlayersReleaseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void anEndedPlayerLeavesNoThreads_data();
    void anEndedPlayerLeavesNoThreads();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Plays one of `kind` to its end, as the program does; false when it never ended.
    bool playToTheEnd(Kind kind);

    QTemporaryDir dir_;
    // As in the program, every player outlives its sounds: what it keeps after an end stays for good.
    std::unique_ptr<FakePlatform> fake_;
    // Made once GStreamer has started.
    std::unique_ptr<MeasuredFactory> broadcasts_;
    std::unique_ptr<testing::MeasuringSink> toneOutput_;
    std::unique_ptr<testing::MeasuringSink> bellOutput_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<GstMedia> tone_;
    std::unique_ptr<Alarm> alarm_;  // lets the tone entries' component go at every end
    std::unique_ptr<GstMedia> bell_;
    std::unique_ptr<Chime> chime_;
    std::unique_ptr<Broadcaster> broadcaster_;
    int idleThreads_ = 0;
};

void PlayersReleaseTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
        qputenv(kAudioSinkVariable, "fakeaudiosink");
    QVERIFY(initMedia());
    QVERIFY(dir_.isValid());
    for (const char* folder : {"toll/A", "SayTimeWav/F", "PlayListFile", "music"})
        QVERIFY(QDir(dir_.path()).mkpath(QLatin1String(folder)));
    const QList<QPair<QString, ToneFormat>> files{{QStringLiteral("tone.mp3"), ToneFormat::Mp3},
                                                  {QStringLiteral("toll/A/A8.WAV"), ToneFormat::Wav},
                                                  {QStringLiteral("SayTimeWav/F/FL.wav"), ToneFormat::Wav},
                                                  {QStringLiteral("SayTimeWav/F/F8.wav"), ToneFormat::Wav},
                                                  {QStringLiteral("music/one.ogg"), ToneFormat::Ogg},
                                                  {QStringLiteral("music/two.wav"), ToneFormat::Wav}};
    for (const auto& [name, format] : files)
        QCOMPARE(testing::writeTone(path(name), format, kToneSeconds), QString());
    QVERIFY(DiskFiles().writeText(
        path(QStringLiteral("PlayListFile/课间.PLF")),
        '|' + path(QStringLiteral("music/one.ogg")) + '|' + path(QStringLiteral("music/two.wav"))));
    QVERIFY(DiskFiles().writeText(path(settings::kDefaultPlf), path(settings::kDefaultPlayList)));
    QVERIFY(DiskFiles().write(path(settings::kDefaultPlayList), {}));

    broadcasts_ = std::make_unique<MeasuredFactory>();
    toneOutput_ = std::make_unique<testing::MeasuringSink>();
    bellOutput_ = std::make_unique<testing::MeasuringSink>();
    fake_ = std::make_unique<FakePlatform>(dir_.path());
    platform_ = std::make_unique<Platform>(fake_->withMedia(*broadcasts_));
    tone_ = std::make_unique<GstMedia>(toneOutput_->element());
    alarm_ = std::make_unique<Alarm>(*platform_, *tone_);
    bell_ = std::make_unique<GstMedia>(bellOutput_->element());
    chime_ = std::make_unique<Chime>(*platform_, *bell_);
    chime_->applyTollSetting(chime::kOn + chime::prefix(dir_.path(), chime::Sound::A));
    broadcaster_ = std::make_unique<Broadcaster>(*platform_, [](PlayerSession&) { return nullptr; });

    // What stays for the rest of the run once GStreamer has played at all (its plugins, the pool it
    // keeps a few idle threads in) is the idle count every kind must come back to; played on a component
    // of its own, so that the players under test start from nothing.
    {
        GstMedia warmUp;
        QSignalSpy ended(&warmUp, &Media::endOfStream);
        warmUp.setFileNames({path(QStringLiteral("tone.mp3")), path(QStringLiteral("music/one.ogg")),
                             path(QStringLiteral("music/two.wav"))});
        QVERIFY(ended.wait(kWaitMs));
    }
    QTest::qWait(100);
    idleThreads_ = threadCount();
}

bool PlayersReleaseTest::playToTheEnd(Kind kind) {
    switch (kind) {
        case Kind::Tone: {
            QSignalSpy ended(tone_.get(), &Media::endOfStream);
            tone_->setFileName(path(QStringLiteral("tone.mp3")));
            tone_->play();
            return ended.wait(kWaitMs);
        }
        case Kind::Chime: {
            QSignalSpy ended(bell_.get(), &Media::endOfStream);
            chime_->hourlyChime({8, 0, 0});
            return ended.wait(kWaitMs);
        }
        case Kind::Broadcast: {
            broadcaster_->broadcastOn(path(QStringLiteral("PlayListFile/课间.PLF")), PlayOrder::Stored);
            QSignalSpy ended(&broadcaster_->session()->media(), &Media::endOfStream);
            // Both tracks, then 播音关.
            if (!QTest::qWaitFor([&] { return ended.size() >= 2; }, kWaitMs))
                return false;
            broadcaster_->broadcastOff();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return !broadcaster_->isLoaded();
        }
        case Kind::SpokenTime: {
            broadcaster_->announce(
                {QStringLiteral("SayTimeWav/F/FL.wav"), QStringLiteral("SayTimeWav/F/F8.wav")});
            QSignalSpy finished(&broadcaster_->session()->announcement(), &Announcement::finished);
            if (!finished.wait(kWaitMs))
                return false;
            // The resume's seconds, without waiting for them: nothing was broadcasting, so it unloads.
            for (int second = 0; second < Broadcaster::kResumeSeconds; ++second)
                broadcaster_->resumeTick();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return !broadcaster_->isLoaded();
        }
    }
    return false;
}

void PlayersReleaseTest::anEndedPlayerLeavesNoThreads_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addRow("a tone entry's MP3") << Kind::Tone;
    QTest::addRow("the hourly chime") << Kind::Chime;
    QTest::addRow("a broadcast to the end of its list and 播音关") << Kind::Broadcast;
    QTest::addRow("the spoken time and its resume") << Kind::SpokenTime;
}

void PlayersReleaseTest::anEndedPlayerLeavesNoThreads() {
    QFETCH(Kind, kind);
    // Several in a row, so that one thread left per play shows as growth, not as noise.
    for (int i = 0; i < 3; ++i)
        QVERIFY(playToTheEnd(kind));
    const testing::MeasuringSink& output = kind == Kind::Tone    ? *toneOutput_
                                           : kind == Kind::Chime ? *bellOutput_
                                                                 : broadcasts_->output;
    QVERIFY(output.frames() > 0);
    // A pipeline merely paused at its end keeps its streaming threads, though GStreamer's pool may hide
    // them from a count: the output says it went to NULL.
    QVERIFY(atRest(output));
    // GStreamer's streaming threads go back to its pool as the pipeline goes to NULL; the pool lets go
    // of those beyond its few idle ones a moment later.
    QTRY_VERIFY2_WITH_TIMEOUT(
        threadCount() <= idleThreads_,
        qPrintable(QStringLiteral("%1 threads, %2 idle").arg(threadCount()).arg(idleThreads_)), kWaitMs);
}

QTEST_MAIN(PlayersReleaseTest)
#include "players_release_test.moc"
