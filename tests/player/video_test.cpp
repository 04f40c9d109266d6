// Video tracks in the player window through real GStreamer, offscreen: the picture shows while the
// track plays and goes with it; a component nobody asked for video keeps to the sound.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/player_session.h"
#include "player/video_view.h"

using namespace quel;
using namespace quel::fakes;

namespace {

class GstFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override { return std::make_unique<GstMedia>(nullptr); }
};

}  // namespace

class VideoTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
            qputenv(kAudioSinkVariable, "fakeaudiosink");
        QVERIFY(initMedia());
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile")));
        QCOMPARE(testing::writeVideo(dir_.filePath(QStringLiteral("clip.avi"))), QString());
        QVERIFY(DiskFiles().writeText(dir_.filePath(settings::kDefaultPlf),
                                      dir_.filePath(settings::kDefaultPlayList)));
        QVERIFY(DiskFiles().write(dir_.filePath(settings::kDefaultPlayList), {}));
    }

    void aVideoShowsItsPictureAndEndsOnce() {
        FakePlatform fake(dir_.path());
        GstFactory gst;
        Platform platform = fake.withMedia(gst);
        Broadcaster broadcaster(platform);
        const QString list = dir_.filePath(QStringLiteral("PlayListFile/v.PLF"));
        QVERIFY(DiskFiles().writeText(list, '|' + dir_.filePath(QStringLiteral("clip.avi"))));
        broadcaster.broadcastOn(list, PlayOrder::Stored);
        auto* view = broadcaster.window()->findChild<VideoView*>(QStringLiteral("Video"));
        QSignalSpy ended(&broadcaster.session()->media(), &Media::endOfStream);
        bool seenShowing = false;
        connect(&broadcaster.session()->media(), &Media::frameShown, this,
                [&] { seenShowing = seenShowing || view->isVisible(); });
        QVERIFY(ended.wait(10000));
        QVERIFY(view->framesShown() >= 1);
        QVERIFY(seenShowing);
        QTRY_VERIFY(!view->isVisible());
        QTest::qWait(300);
        QCOMPARE(ended.size(), 1);
        QVERIFY(!broadcaster.session()->playback().isOpen());
    }

    void aComponentWithoutVideoPlaysOnlyTheSound() {
        GstMedia media;
        QSignalSpy frames(&media, &Media::frameShown);
        QSignalSpy ended(&media, &Media::endOfStream);
        media.setFileName(dir_.filePath(QStringLiteral("clip.avi")));
        QVERIFY(ended.wait(10000));
        QVERIFY(frames.isEmpty());
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(VideoTest)
#include "video_test.moc"
