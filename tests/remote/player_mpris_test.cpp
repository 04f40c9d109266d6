// The broadcast player of the running program under the desktop's media controls: playerctl on a
// private bus against the real player classes, playing generated files through real GStreamer.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "fakes/private_bus.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "platform/media.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/play_list.h"
#include "player/playback.h"
#include "player/player_session.h"
#include "playerctl.h"
#include "shell/player_mpris.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QStringList kTracks{QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav")};
constexpr double kTrackSeconds = 10.0;  // long enough never to end while a row runs

}  // namespace

class PlayerMprisTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QFileInfo(QString::fromLatin1(PrivateBus::kDaemon)).isExecutable() ||
            QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty())
            QSKIP("dbus-daemon or playerctl is not installed");
        if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
            qputenv(kAudioSinkVariable, "fakeaudiosink");
        QVERIFY(initMedia());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile")));
        QString list;
        for (const QString& track : kTracks) {
            QCOMPARE(testing::writeTone(dir_.filePath(track), testing::ToneFormat::Wav, kTrackSeconds),
                     QString());
            list += QLatin1Char('|') + dir_.filePath(track);
        }
        QVERIFY(DiskFiles().writeText(listPath(), list));
        QVERIFY(DiskFiles().writeText(dir_.filePath(settings::kDefaultPlf), listPath()));
    }
    void init() {
        bus_ = std::make_unique<PrivateBus>();
        QVERIFY(bus_->start());
        fake_ = std::make_unique<FakePlatform>(dir_.path());
        platform_ = std::make_unique<Platform>(fake_->withMedia(gst_));
        broadcaster_ = std::make_unique<Broadcaster>(*platform_, [this](PlayerSession&) {
            window_ = new QWidget;
            return window_.data();
        });
        mpris_ = std::make_unique<PlayerMpris>(*broadcaster_, bus_->connection());
    }
    void cleanup() {
        mpris_.reset();
        broadcaster_.reset();
        platform_.reset();
        fake_.reset();
        bus_.reset();
        QFile::remove(dir_.filePath(settings::kPlayOrder));
    }

    // A playerctl command, after the ones that set the scene, on a broadcast of a.wav, b.wav, c.wav
    // that has just started: what the player does then.
    void commands_data() {
        QTest::addColumn<QList<QStringList>>("before");
        QTest::addColumn<QStringList>("command");
        // Status, current file, mode, order, volume; after a position was set, where it stands.
        QTest::addColumn<QString>("state");
        const QList<QStringList> none;
        QTest::addRow("pause holds the track")
            << none << QStringList{"pause"} << "Paused a.wav ThroughToEnd Stored 0";
        QTest::addRow("play-pause while paused plays on")
            << QList<QStringList>{{"pause"}} << QStringList{"play-pause"}
            << "Playing a.wav ThroughToEnd Stored 0";
        QTest::addRow("stop closes the track and keeps the list")
            << none << QStringList{"stop"} << "Stopped a.wav ThroughToEnd Stored 0";
        QTest::addRow("play after stop starts the current track")
            << QList<QStringList>{{"stop"}} << QStringList{"play"} << "Playing a.wav ThroughToEnd Stored 0";
        QTest::addRow("next plays the second line")
            << none << QStringList{"next"} << "Playing b.wav ThroughToEnd Stored 0";
        QTest::addRow("previous goes back a line")
            << QList<QStringList>{{"next"}, {"next"}} << QStringList{"previous"}
            << "Playing b.wav ThroughToEnd Stored 0";
        QTest::addRow("previous on the first line stays")
            << none << QStringList{"previous"} << "Playing a.wav ThroughToEnd Stored 0";
        QTest::addRow("next on the last line of a list played through stays")
            << QList<QStringList>{{"next"}, {"next"}} << QStringList{"next"}
            << "Playing c.wav ThroughToEnd Stored 0";
        QTest::addRow("next on the last line of a repeated list starts it again")
            << QList<QStringList>{{"loop", "Playlist"}, {"next"}, {"next"}} << QStringList{"next"}
            << "Playing a.wav RepeatAll Stored 0";
        QTest::addRow("loop Track is 单曲循环")
            << none << QStringList{"loop", "Track"} << "Playing a.wav RepeatTrack Stored 0";
        QTest::addRow("loop None is 直播到底")
            << QList<QStringList>{{"loop", "Playlist"}} << QStringList{"loop", "None"}
            << "Playing a.wav ThroughToEnd Stored 0";
        QTest::addRow("a position while paused")
            << QList<QStringList>{{"pause"}} << QStringList{"position", "4"}
            << "Paused a.wav@4.0 ThroughToEnd Stored 0";
        QTest::addRow("a step back past the start goes to the start")
            << QList<QStringList>{{"pause"}, {"position", "2"}} << QStringList{"position", "5-"}
            << "Paused a.wav@0.0 ThroughToEnd Stored 0";
        QTest::addRow("a step past the end goes on to the next track")
            << none << QStringList{"position", "60+"} << "Playing b.wav ThroughToEnd Stored 0";
        QTest::addRow("half the volume is 6 dB down")
            << none << QStringList{"volume", "0.5"} << "Playing a.wav ThroughToEnd Stored -602";
        QTest::addRow("volume 0 is silence")
            << none << QStringList{"volume", "0"} << "Playing a.wav ThroughToEnd Stored -10000";
        QTest::addRow("shuffle on is 随机顺序 and keeps the track that plays")
            << none << QStringList{"shuffle", "On"} << "Playing a.wav ThroughToEnd Shuffled 0";
        QTest::addRow("shuffle off again")
            << QList<QStringList>{{"shuffle", "On"}} << QStringList{"shuffle", "Off"}
            << "Playing a.wav ThroughToEnd Stored 0";
    }
    void commands() {
        QFETCH(QList<QStringList>, before);
        QFETCH(QStringList, command);
        QFETCH(QString, state);
        startBroadcast();
        for (const QStringList& step : before)
            QCOMPARE(playerctl(step).exitCode, 0);
        playerctl(command);
        const bool positioned =
            command.first() == QLatin1String("position") && describe().startsWith("Paused");
        QCOMPARE(describe(positioned), state);
    }

    // 随机顺序 chosen from the desktop is the operator's choice: the next load plays in that order too.
    void shuffleIsRemembered() {
        startBroadcast();
        QCOMPARE(playerctl({QStringLiteral("shuffle"), QStringLiteral("On")}).exitCode, 0);
        broadcaster_->unload();
        broadcaster_->showPlayer();
        QCOMPARE(broadcaster_->session()->playList().order(), PlayOrder::Shuffled);
    }

    // What the desktop shows of the track that plays.
    void metadata() {
        startBroadcast();
        QCOMPARE(playerctl({QStringLiteral("next")}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(broadcaster_->session()->playback().duration() > 0, 10000);
        const QString shown =
            playerctl(
                {QStringLiteral("metadata"), QStringLiteral("--format"),
                 QStringLiteral("{{status}} {{title}} {{mpris:trackid}} {{mpris:length}} {{xesam:url}}")})
                .out.trimmed();
        QCOMPARE(shown, QStringLiteral("Playing b '/io/github/quelbrook/track/2' 10000000 %1")
                            .arg(QUrl::fromLocalFile(dir_.filePath(QStringLiteral("b.wav"))).toString()));
    }

    // Raise brings back the window the operator hid.
    void raiseShowsTheWindow() {
        startBroadcast();
        QVERIFY(window_);
        window_->hide();
        QDBusConnection client = QDBusConnection::connectToBus(bus_->address(), QStringLiteral("raise"));
        QDBusPendingCall call = client.asyncCall(QDBusMessage::createMethodCall(
            MprisService::kService, MprisService::kPath, QStringLiteral("org.mpris.MediaPlayer2"),
            QStringLiteral("Raise")));
        QTRY_VERIFY_WITH_TIMEOUT(call.isFinished(), 5000);
        QVERIFY(!call.isError());
        QVERIFY(window_->isVisible());
        QDBusConnection::disconnectFromBus(QStringLiteral("raise"));
    }

    // The desktop sees the player only while it is loaded, however it unloaded.
    void onlyWhileLoaded_data() {
        QTest::addColumn<bool>("hiddenFirst");
        QTest::addRow("播音关") << false;
        QTest::addRow("播音关 after 隐藏窗体") << true;
    }
    void onlyWhileLoaded() {
        QFETCH(bool, hiddenFirst);
        QVERIFY(playerctl({QStringLiteral("status")}).err.contains("No players found"));
        startBroadcast();
        QCOMPARE(playerctl({QStringLiteral("status")}).out.trimmed(), QStringLiteral("Playing"));
        if (hiddenFirst)
            broadcaster_->session()->hideByOperator();
        broadcaster_->broadcastOff();
        // Gone at once, before the session itself is deleted at the next turn of the event loop.
        QVERIFY(!mpris_->isPublished() || hiddenFirst);
        QTRY_VERIFY_WITH_TIMEOUT(!mpris_->isPublished(), 5000);
        QVERIFY(playerctl({QStringLiteral("status")}).err.contains("No players found"));
        startBroadcast();
        QCOMPARE(playerctl({QStringLiteral("status")}).out.trimmed(), QStringLiteral("Playing"));
    }

private:
    QString listPath() const { return dir_.filePath(QStringLiteral("PlayListFile/a.PLF")); }
    // Once the first track's length is known, as a person at the desktop would find it.
    void startBroadcast() {
        broadcaster_->broadcastOn(listPath(), PlayOrder::Stored);
        QTRY_VERIFY_WITH_TIMEOUT(broadcaster_->session()->playback().duration() > 0, 10000);
    }

    QString describe(bool withPosition = false) const {
        PlayerSession* session = broadcaster_->session();
        if (!session)
            return QStringLiteral("unloaded");
        Playback& playback = session->playback();
        const QString status = playback.isPlaying() ? QStringLiteral("Playing")
                               : playback.isOpen()  ? QStringLiteral("Paused")
                                                    : QStringLiteral("Stopped");
        QString file = QFileInfo(session->playList().tracks().value(playback.currentIndex())).fileName();
        if (withPosition)
            file += QStringLiteral("@%1").arg(playback.position(), 0, 'f', 1);
        const char* modes[] = {"ThroughToEnd", "RepeatTrack", "RepeatAll"};
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(status, file, QLatin1String(modes[int(playback.mode())]),
                 session->playList().order() == PlayOrder::Shuffled ? QStringLiteral("Shuffled")
                                                                    : QStringLiteral("Stored"))
            .arg(session->playback().volume());
    }

    testing::PlayerctlRun playerctl(const QStringList& arguments) {
        return testing::playerctl(*bus_, arguments);
    }

    QTemporaryDir dir_;
    GstMediaFactory gst_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<Broadcaster> broadcaster_;
    std::unique_ptr<PlayerMpris> mpris_;
    QPointer<QWidget> window_;
};

QTEST_MAIN(PlayerMprisTest)
#include "player_mpris_test.moc"
