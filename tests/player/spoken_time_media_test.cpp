// The spoken time through real GStreamer on generated voice files: every file sounds once, as one
// stream, and the announcement ends; a broadcast interrupted by it is not advanced by the voice files'
// ends.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/say_time.h"
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

// The player's one component sounds into a sink that counts what it was given.
class GstFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override { return std::make_unique<GstMedia>(sink.element()); }
    testing::MeasuringSink sink;
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
        // Each word a length of its own, so the sum heard tells a word left out or sounded twice.
        const QStringList words = sayTimeFiles(Voice::Female, {13, 0, 0});
        for (int i = 0; i < words.size(); ++i) {
            QCOMPARE(testing::writeTone(dir_.filePath(words.at(i)), ToneFormat::Wav, wordSeconds(i)),
                     QString());
            spoken_ += wordSeconds(i);
        }
        QCOMPARE(testing::writeTone(dir_.filePath(QStringLiteral("track.wav")), ToneFormat::Wav, 0.2),
                 QString());
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

        broadcaster.announce(sayTimeFiles(Voice::Female, {13, 0, 0}));
        Media& media = broadcaster.session()->media();
        QSignalSpy finished(&broadcaster.session()->announcement(), &Announcement::finished);
        QSignalSpy ends(&media, &Media::endOfStream);
        QVERIFY(finished.wait(10000));
        QCOMPARE(ends.size(), 1);  // one stream, not a file after another
        // The broadcast's track was cut off at once; what the sink got beyond it is the words.
        const double heard = double(gst.sink.frames()) / testing::kToneRate;
        QVERIFY2(heard >= spoken_ - 0.02 && heard <= spoken_ + 0.2 + 0.02,
                 qPrintable(QString::number(heard)));
        QVERIFY(media.fileName().isEmpty());
        QVERIFY(!broadcaster.session()->playback().isOpen());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QVERIFY(media.fileName().isEmpty());
    }

private:
    static double wordSeconds(int i) { return 0.1 * (i + 1); }
    QTemporaryDir dir_;
    double spoken_ = 0;
};

QTEST_MAIN(SpokenTimeMediaTest)
#include "spoken_time_media_test.moc"
