// The spoken time through real GStreamer on generated voice files: every file sounds once, in order,
// and the announcement ends; a broadcast interrupted by it is not advanced by the voice files' ends.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/say_time.h"
#include "fakes/fake_platform.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;
using quel::testing::ToneFormat;

namespace {

class GstFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override { return std::make_unique<GstMedia>(nullptr); }
};

}  // namespace

class SpokenTimeMediaTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
            qputenv(kAudioSinkVariable, "fakeaudiosink");
        QVERIFY(initMedia());
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("SayTimeWav/F")));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile")));
        for (const QString& file : sayTimeFiles(Voice::Female, {13, 0, 0}) + QStringList{"track.wav"})
            QCOMPARE(testing::writeTone(dir_.filePath(file), ToneFormat::Wav, 0.2), QString());
        QVERIFY(DiskFiles().writeText(dir_.filePath(settings::kDefaultPlf),
                                      dir_.filePath(settings::kDefaultPlayList)));
        QVERIFY(DiskFiles().write(dir_.filePath(settings::kDefaultPlayList), {}));
    }

    void anAnnouncementSoundsEachFileInOrderAndEnds() {
        FakePlatform fake(dir_.path());
        GstFactory gst;
        Platform platform = fake.withMedia(gst);
        Broadcaster broadcaster(platform, [](PlayerSession&) { return nullptr; });
        const QString list = dir_.filePath(QStringLiteral("PlayListFile/a.PLF"));
        QVERIFY(DiskFiles().writeText(list, '|' + dir_.filePath(QStringLiteral("track.wav"))));
        broadcaster.broadcastOn(list, PlayOrder::Stored);

        const QStringList files = sayTimeFiles(Voice::Female, {13, 0, 0});
        broadcaster.announce(files);
        Media& media = broadcaster.session()->media();
        QStringList sounded;
        connect(&media, &Media::durationChanged, this, [&] { sounded << media.fileName(); });
        QSignalSpy finished(&broadcaster.session()->announcement(), &Announcement::finished);
        QVERIFY(finished.wait(10000));
        QStringList expected;
        for (const QString& file : files)
            expected << dir_.filePath(file);
        QCOMPARE(sounded, expected);
        QVERIFY(media.fileName().isEmpty());
        QVERIFY(!broadcaster.session()->playback().isOpen());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QVERIFY(media.fileName().isEmpty());
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(SpokenTimeMediaTest)
#include "spoken_time_media_test.moc"
