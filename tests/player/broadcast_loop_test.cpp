// Broadcasts played through real GStreamer on generated files: the loop in each mode, bad tracks
// among good ones, a list of bad tracks only, and a broadcast that replaces a playing one.

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
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

constexpr int kWait = 10000;
constexpr double kShort = 0.3;
constexpr double kLong = 3.0;

// GStreamer components, the first one made with a chosen output.
class GstFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override {
        return std::make_unique<GstMedia>(std::exchange(output, nullptr));
    }
    GstElement* output = nullptr;
};

using quel::testing::quoted;

}  // namespace

class BroadcastLoopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void eachModeFollowsTheEnds_data();
    void eachModeFollowsTheEnds();
    void badTracksAmongGoodOnesAreSkipped();
    void aListOfBadTracksGoesIdleWithinASecond();
    void aReplacedBroadcastIsNotAdvancedByTheOldEnd();

private:
    struct Run;
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString list(const QString& name, const QStringList& tracks) const;

    QTemporaryDir dir_;
};

// One broadcaster on a program folder of its own, without a window.
struct BroadcastLoopTest::Run {
    explicit Run(const QString& folder)
        : fake(folder),
          platform(fake.withMedia(gst)),
          broadcaster(platform, [](PlayerSession&) { return nullptr; }) {}
    Playback& playback() { return broadcaster.session()->playback(); }
    Media& media() { return broadcaster.session()->media(); }
    // Notes the file of every track opened and of every track whose sound began.
    void watch() {
        QObject::connect(&playback(), &Playback::trackOpened, &broadcaster,
                         [this] { opened << fileNamePart(media().fileName()); });
        QObject::connect(&media(), &Media::durationChanged, &broadcaster,
                         [this] { sounded << fileNamePart(media().fileName()); });
    }
    FakePlatform fake;
    GstFactory gst;
    Platform platform;
    Broadcaster broadcaster;
    QStringList opened;
    QStringList sounded;
};

void BroadcastLoopTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty(kAudioSinkVariable)) {
        qputenv(kAudioSinkVariable, "fakeaudiosink");
    }
    QVERIFY(initMedia());
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile")));
    for (const char* name : {"one.wav", "two.wav", "three.wav", "doomed.wav"}) {
        QCOMPARE(testing::writeTone(path(QLatin1String(name)), ToneFormat::Wav, kShort), QString());
    }
    QCOMPARE(testing::writeTone(path(QStringLiteral("long.wav")), ToneFormat::Wav, kLong), QString());
    QVERIFY(DiskFiles().write(path(QStringLiteral("notes.mp3")), "Not a sound.\r\n"));
    QVERIFY(DiskFiles().write(path(QStringLiteral("empty.wav")), {}));
    QVERIFY(DiskFiles().writeText(path(settings::kDefaultPlf), path(settings::kDefaultPlayList)));
    QVERIFY(DiskFiles().write(path(settings::kDefaultPlayList), {}));
}

QString BroadcastLoopTest::list(const QString& name, const QStringList& tracks) const {
    QString text;
    for (const QString& t : tracks)
        text += QLatin1Char('|') + (t.startsWith('/') ? t : path(t));
    const QString file = path(QStringLiteral("PlayListFile/") + name);
    DiskFiles().write(file, quoted(text));
    return file;
}

void BroadcastLoopTest::eachModeFollowsTheEnds_data() {
    QTest::addColumn<PlayMode>("mode");
    QTest::addColumn<QStringList>("tracks");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("sounded");  // each file written once: a repeat reopens nothing
    QTest::addColumn<bool>("endsIdle");
    QTest::addRow("直播到底 plays the list once and goes idle")
        << PlayMode::ThroughToEnd << QStringList{"one.wav", "two.wav", "three.wav"}
        << QStringList{"one.wav", "two.wav", "three.wav"} << QStringList{"one.wav", "two.wav", "three.wav"}
        << true;
    QTest::addRow("单曲循环 repeats its track")
        << PlayMode::RepeatTrack << QStringList{"one.wav", "two.wav"}
        << QStringList{"one.wav", "one.wav", "one.wav"} << QStringList{"one.wav"} << false;
    QTest::addRow("全程循环 goes round") << PlayMode::RepeatAll << QStringList{"one.wav", "two.wav"}
                                         << QStringList{"one.wav", "two.wav", "one.wav", "two.wav"}
                                         << QStringList{"one.wav", "two.wav", "one.wav", "two.wav"} << false;
}

void BroadcastLoopTest::eachModeFollowsTheEnds() {
    QFETCH(PlayMode, mode);
    QFETCH(QStringList, tracks);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, sounded);
    QFETCH(bool, endsIdle);
    Run run(dir_.path());
    run.broadcaster.showPlayer();
    run.watch();
    run.playback().setMode(mode);
    run.broadcaster.broadcastOn(list(QStringLiteral("modes.PLF"), tracks), PlayOrder::Stored);
    QTRY_VERIFY_WITH_TIMEOUT((run.opened.size() >= opened.size() && run.sounded.size() >= sounded.size()) ||
                                 !run.playback().isPlaying(),
                             kWait);
    if (endsIdle) {
        QTRY_VERIFY_WITH_TIMEOUT(!run.playback().isPlaying(), kWait);
        QCOMPARE(run.playback().currentIndex(), 0);
        QCOMPARE(run.media().fileName(), QString());
    }
    QCOMPARE(run.opened.mid(0, opened.size()), opened);
    QCOMPARE(run.sounded.mid(0, sounded.size()), sounded);
    run.broadcaster.broadcastOff();
    QVERIFY(!run.broadcaster.isLoaded());
}

void BroadcastLoopTest::badTracksAmongGoodOnesAreSkipped() {
    Run run(dir_.path());
    run.broadcaster.showPlayer();
    run.watch();
    QVERIFY(DiskFiles().write(path(QStringLiteral("doomed.wav")), DiskFiles().read(path("one.wav")).value()));
    const QString file =
        list(QStringLiteral("mixed.PLF"), {"long.wav", "doomed.wav", "notes.mp3", "two.wav"});
    run.broadcaster.broadcastOn(file, PlayOrder::Stored);
    QCOMPARE(run.broadcaster.session()->playList().trackCount(), 4);
    QVERIFY(QFile::remove(path(QStringLiteral("doomed.wav"))));  // deleted while the list plays

    QTRY_VERIFY_WITH_TIMEOUT(!run.playback().isPlaying(), kWait);
    QCOMPARE(run.opened, QStringList({"long.wav", "doomed.wav", "notes.mp3", "two.wav"}));
    QCOMPARE(run.sounded, QStringList({"long.wav", "two.wav"}));
    QCOMPARE(run.playback().currentIndex(), 0);
}

void BroadcastLoopTest::aListOfBadTracksGoesIdleWithinASecond() {
    Run run(dir_.path());
    run.broadcaster.showPlayer();
    run.watch();
    run.playback().setMode(PlayMode::RepeatAll);
    const QString file = list(QStringLiteral("bad.PLF"),
                              {"notes.mp3", "empty.wav", "/no-such-stick/music/a.wav", "radio.asx"});
    QVERIFY(DiskFiles().write(path(QStringLiteral("radio.asx")), "<ASX version=\"3.0\"></ASX>\r\n"));
    QElapsedTimer clock;
    clock.start();
    run.broadcaster.broadcastOn(file, PlayOrder::Shuffled);
    QTRY_VERIFY_WITH_TIMEOUT(!run.playback().isPlaying(), 1000);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(run.opened.size(), 4);
    QVERIFY(run.sounded.isEmpty());
    // It stays idle: nothing is still on its way to start the round again.
    QTest::qWait(300);
    QCOMPARE(run.opened.size(), 4);
    QCOMPARE(run.media().fileName(), QString());
}

// The end of the replaced list's track is already posted when the new broadcast starts; it must not
// move the new list on.
void BroadcastLoopTest::aReplacedBroadcastIsNotAdvancedByTheOldEnd() {
    testing::MeasuringSink sink;
    Run run(dir_.path());
    run.gst.output = sink.element();
    run.broadcaster.showPlayer();
    run.watch();
    run.broadcaster.broadcastOn(list(QStringLiteral("first.PLF"), {"one.wav", "two.wav"}), PlayOrder::Stored);
    QVERIFY(sink.waitForEnd(kWait));  // no Qt event runs meanwhile: the end waits in the queue
    sink.setRealTime(true);
    run.broadcaster.broadcastOn(list(QStringLiteral("second.PLF"), {"long.wav", "three.wav"}),
                                PlayOrder::Stored);
    QCoreApplication::sendPostedEvents();
    QTest::qWait(300);
    QCOMPARE(run.opened, QStringList({"one.wav", "long.wav"}));
    QCOMPARE(run.playback().currentIndex(), 0);
    QVERIFY(run.playback().isPlaying());
    QTRY_COMPARE_WITH_TIMEOUT(run.opened.size(), 3, kWait);
    QCOMPARE(run.opened.last(), QStringLiteral("three.wav"));
}

QTEST_GUILESS_MAIN(BroadcastLoopTest)
#include "broadcast_loop_test.moc"
