#include <QDBusObjectPath>
#include <QProcess>
#include <QtTest>

#include "fakes/private_bus.h"
#include "playerctl.h"
#include "remote/mpris_player.h"
#include "remote/mpris_service.h"

using namespace quel;

namespace {

// Records every control as a line and shows the state the test gives it.
class FakePlayer final : public MprisPlayer {
public:
    State state() const override { return state_; }
    Track track() const override { return track_; }
    double position() const override { return position_; }
    void setPosition(double seconds) override { calls << QStringLiteral("position %1").arg(seconds); }
    double volume() const override { return volume_; }
    void setVolume(double linear) override { calls << QStringLiteral("volume %1").arg(linear); }
    Loop loop() const override { return loop_; }
    void setLoop(Loop l) override { calls << QStringLiteral("loop %1").arg(int(l)); }
    bool shuffle() const override { return shuffle_; }
    void setShuffle(bool on) override { calls << QStringLiteral("shuffle %1").arg(on); }
    bool canGoNext() const override { return true; }
    bool canGoPrevious() const override { return true; }
    void play() override { calls << QStringLiteral("play"); }
    void pause() override { calls << QStringLiteral("pause"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void next() override { calls << QStringLiteral("next"); }
    void previous() override { calls << QStringLiteral("previous"); }
    void raise() override { calls << QStringLiteral("raise"); }

    void show(State s) {
        state_ = s;
        emit changed();
    }

    QStringList calls;
    State state_ = State::Playing;
    Track track_{QStringLiteral("/srv/lists/早操音乐.mp3"), {}, {}, {}, 180.0, 2};
    double position_ = 12.0;
    double volume_ = 0.5;
    Loop loop_ = Loop::Playlist;
    bool shuffle_ = true;
};

}  // namespace

class MprisTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!QFileInfo(QString::fromLatin1(fakes::PrivateBus::kDaemon)).isExecutable() ||
            QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty())
            QSKIP("dbus-daemon or playerctl is not installed");
        bus_ = std::make_unique<fakes::PrivateBus>();
        QVERIFY(bus_->start());
        player_ = std::make_unique<FakePlayer>();
        service_ = std::make_unique<MprisService>(bus_->connection());
        QVERIFY(service_->setPlayer(player_.get()));
    }
    void cleanup() {
        service_.reset();
        player_.reset();
        bus_.reset();
    }

    // The desktop's controls through playerctl, as a user's tools speak them.
    void controls_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("calls");
        QTest::addRow("play") << QStringList{"play"} << QStringList{"play"};
        QTest::addRow("pause") << QStringList{"pause"} << QStringList{"pause"};
        QTest::addRow("play-pause while playing pauses") << QStringList{"play-pause"} << QStringList{"pause"};
        QTest::addRow("stop") << QStringList{"stop"} << QStringList{"stop"};
        QTest::addRow("next") << QStringList{"next"} << QStringList{"next"};
        QTest::addRow("previous") << QStringList{"previous"} << QStringList{"previous"};
        QTest::addRow("a position in the track")
            << QStringList{"position", "30"} << QStringList{"position 30"};
        QTest::addRow("a step forward") << QStringList{"position", "10+"} << QStringList{"position 22"};
        QTest::addRow("a step back past the start goes to the start")
            << QStringList{"position", "20-"} << QStringList{"position 0"};
        QTest::addRow("a step past the end goes on to the next track")
            << QStringList{"position", "200+"} << QStringList{"next"};
        QTest::addRow("volume") << QStringList{"volume", "0.25"} << QStringList{"volume 0.25"};
        QTest::addRow("volume above full is full") << QStringList{"volume", "1.5"} << QStringList{"volume 1"};
        QTest::addRow("loop none is through to the end")
            << QStringList{"loop", "None"} << QStringList{"loop 0"};
        QTest::addRow("loop track repeats the track")
            << QStringList{"loop", "Track"} << QStringList{"loop 1"};
        QTest::addRow("loop playlist repeats the list")
            << QStringList{"loop", "Playlist"} << QStringList{"loop 2"};
        QTest::addRow("shuffle off") << QStringList{"shuffle", "Off"} << QStringList{"shuffle 0"};
    }
    void controls() {
        QFETCH(QStringList, command);
        QFETCH(QStringList, calls);
        QCOMPARE(playerctl(command).exitCode, 0);
        QCOMPARE(player_->calls, calls);
    }

    // What the desktop shows of the player.
    void shown_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("shown");
        QTest::addRow("playing") << QStringList{"status"} << ""
                                 << "Playing";
        QTest::addRow("paused") << QStringList{"status"} << "paused"
                                << "Paused";
        QTest::addRow("stopped") << QStringList{"status"} << "stopped"
                                 << "Stopped";
        QTest::addRow("a track without tags shows its file name") << QStringList{"metadata", "title"} << ""
                                                                  << "早操音乐";
        QTest::addRow("a tagged track shows its tags")
            << QStringList{"metadata", "--format", "{{artist}} - {{title}} ({{album}})"} << "tagged"
            << "校合唱团 - 运动员进行曲 (校园)";
        QTest::addRow("the length") << QStringList{"metadata", "mpris:length"} << ""
                                    << "180000000";
        // Paused, since playerctl moves a playing position on by the time its question took.
        QTest::addRow("the position") << QStringList{"position"} << "paused"
                                      << "12.000000";
        QTest::addRow("the volume") << QStringList{"volume"} << ""
                                    << "0.500000";
        QTest::addRow("repeat the list") << QStringList{"loop"} << ""
                                         << "Playlist";
        QTest::addRow("repeat the track") << QStringList{"loop"} << "track"
                                          << "Track";
        QTest::addRow("shuffled") << QStringList{"shuffle"} << ""
                                  << "On";
    }
    void shown() {
        QFETCH(QStringList, command);
        QFETCH(QString, setup);
        QFETCH(QString, shown);
        if (setup == QLatin1String("paused"))
            player_->state_ = MprisPlayer::State::Paused;
        else if (setup == QLatin1String("stopped"))
            player_->state_ = MprisPlayer::State::Stopped;
        else if (setup == QLatin1String("track"))
            player_->loop_ = MprisPlayer::Loop::Track;
        else if (setup == QLatin1String("tagged")) {
            player_->track_.title = QStringLiteral("运动员进行曲");
            player_->track_.artist = QStringLiteral("校合唱团");
            player_->track_.album = QStringLiteral("校园");
        }
        const testing::PlayerctlRun run = playerctl(command);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.trimmed(), shown);
    }

    // Raise shows the player window; an address to open is refused rather than ignored.
    void raiseAndOpenUri() {
        QDBusConnection client = QDBusConnection::connectToBus(bus_->address(), QStringLiteral("raise"));
        QDBusMessage raise =
            QDBusMessage::createMethodCall(MprisService::kService, MprisService::kPath,
                                           QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
        QCOMPARE(wait(client.asyncCall(raise)).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(player_->calls, QStringList{QStringLiteral("raise")});
        QDBusMessage open = QDBusMessage::createMethodCall(MprisService::kService, MprisService::kPath,
                                                           QStringLiteral("org.mpris.MediaPlayer2.Player"),
                                                           QStringLiteral("OpenUri"))
                            << QStringLiteral("file:///srv/a.mp3");
        QCOMPARE(wait(client.asyncCall(open)).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.NotSupported"));
        QDBusConnection::disconnectFromBus(QStringLiteral("raise"));
    }

    // A position for a track that has since ended must not move the one playing now.
    void setPositionOnlyForTheCurrentTrack() {
        QDBusConnection client = QDBusConnection::connectToBus(bus_->address(), QStringLiteral("pos"));
        for (int number : {1, 2}) {
            QDBusMessage call =
                QDBusMessage::createMethodCall(MprisService::kService, MprisService::kPath,
                                               QStringLiteral("org.mpris.MediaPlayer2.Player"),
                                               QStringLiteral("SetPosition"))
                << QVariant::fromValue(
                       QDBusObjectPath(QStringLiteral("/io/github/quelbrook/track/%1").arg(number)))
                << qlonglong(40'000'000);
            wait(client.asyncCall(call));
        }
        QCOMPARE(player_->calls, QStringList{QStringLiteral("position 40")});
        QDBusConnection::disconnectFromBus(QStringLiteral("pos"));
    }

    // A change reaches the desktop without its asking: playerctl --follow prints the new status.
    void changesAreAnnounced() {
        QProcess follow;
        follow.setProcessEnvironment(environment());
        // Line-buffered: its output goes to a pipe, not a terminal.
        follow.start(QStringLiteral("stdbuf"),
                     {QStringLiteral("-oL"), QStringLiteral("playerctl"), QStringLiteral("-p"),
                      QStringLiteral("quelbrook"), QStringLiteral("--follow"), QStringLiteral("status")});
        QByteArray seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen += follow.readAllStandardOutput()).contains("Playing"), 5000);
        player_->show(MprisPlayer::State::Paused);
        QTRY_VERIFY_WITH_TIMEOUT((seen += follow.readAllStandardOutput()).contains("Paused"), 5000);
        follow.kill();
        follow.waitForFinished(3000);
    }

    // Only while the player is loaded: afterwards the desktop shows no player.
    void onlyWhileLoaded() {
        service_->setPlayer(nullptr);
        const testing::PlayerctlRun run = playerctl({QStringLiteral("status")});
        QVERIFY(run.exitCode != 0);
        QVERIFY(run.err.contains("No players found"));
        QVERIFY(service_->setPlayer(player_.get()));
        QCOMPARE(playerctl({QStringLiteral("status")}).out.trimmed(), QStringLiteral("Playing"));
        player_.reset();  // the player unloaded without the shell saying so
        QVERIFY(!service_->isPublished());
    }

    void volumeInDecibels_data() {
        QTest::addColumn<int>("hundredthsDb");
        QTest::addColumn<double>("linear");
        QTest::addRow("full") << 0 << 1.0;
        QTest::addRow("half the amplitude") << -602 << 0.5;
        QTest::addRow("a tenth") << -2000 << 0.1;
        QTest::addRow("the floor is silence") << -10000 << 0.0;
    }
    void volumeInDecibels() {
        QFETCH(int, hundredthsDb);
        QFETCH(double, linear);
        constexpr int kFloor = -10000;
        QVERIFY(qAbs(linearFromHundredthsDb(hundredthsDb, kFloor) - linear) < 0.001);
        QVERIFY(qAbs(hundredthsDbFromLinear(linear, kFloor) - hundredthsDb) <= 1);
    }

private:
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        bus_->pointAtThisBus(env);
        return env;
    }
    testing::PlayerctlRun playerctl(const QStringList& arguments) {
        return testing::playerctl(*bus_, arguments);
    }
    static QDBusMessage wait(QDBusPendingCall pending) {
        const QDeadlineTimer deadline(5000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return pending.reply();
    }

    std::unique_ptr<fakes::PrivateBus> bus_;
    std::unique_ptr<FakePlayer> player_;
    std::unique_ptr<MprisService> service_;
};

QTEST_GUILESS_MAIN(MprisTest)
#include "mpris_test.moc"
