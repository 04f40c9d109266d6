// The playback loop on a recording media component: what it opens when a track ends or fails in each
// mode, how play, pause and double-click behave, and how edits and broadcasts move the current track.

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "platform/settings_names.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/playback.h"
#include "player/shuffle.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

struct Fixture {
    explicit Fixture(const QString& tracks = QStringLiteral("abc"))
        : fake(dir.path()),
          list(fake.files, dir.path(), shuffler, fake.worker),
          commands(list, fake.files, fake.dialogs),
          owned(fake.media.create()),
          media(*fake.media.made.first()),
          playback(*owned, list) {
        DiskFiles disk;
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        for (QChar c : QStringLiteral("abcdx"))
            disk.write(track(c), "sound");
        disk.write(path(QStringLiteral("PlayListFile/day.PLF")), quoted(text(tracks)));
        disk.writeText(path(settings::kDefaultPlf), path(QStringLiteral("PlayListFile/day.PLF")));
        list.loadDefault();
        fake.media.log.clear();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString track(QChar c) const { return path(QString(c) + QStringLiteral(".wav")); }
    QString text(const QString& tracks) const {
        QString t;
        for (QChar c : tracks)
            t += QLatin1Char('|') + track(c);
        return t;
    }
    // The media log with track paths written as their letters: "file a", "play", "file ".
    QStringList log() const {
        QStringList out;
        for (QString line : fake.media.log) {
            line.remove(0, 3);  // "m1 "
            for (QChar c : QStringLiteral("abcdx"))
                line.replace(track(c), QString(c));
            out << line;
        }
        return out;
    }
    void settle() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    FakePlatform fake;
    Shuffler shuffler{7};
    PlayList list;
    PlayListCommands commands;
    std::unique_ptr<Media> owned;
    FakeMedia& media;
    Playback playback;
};

}  // namespace

class PlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void eachModeFollowsTheEndOfATrack_data() {
        QTest::addColumn<QString>("tracks");
        QTest::addColumn<PlayMode>("mode");
        QTest::addColumn<int>("ends");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("playing");
        QTest::addRow("直播到底 plays on and stops after the last track, first track current")
            << "abc" << PlayMode::ThroughToEnd << 3
            << QStringList{"file a", "file b", "file c", "stop", "file "} << 0 << false;
        QTest::addRow("单曲循环 plays the same track again")
            << "abc" << PlayMode::RepeatTrack << 2 << QStringList{"file a", "play", "play"} << 0 << true;
        QTest::addRow("全程循环 goes round to the first track")
            << "ab" << PlayMode::RepeatAll << 3 << QStringList{"file a", "file b", "file a", "file b"} << 1
            << true;
        QTest::addRow("全程循环 with one track opens it again")
            << "a" << PlayMode::RepeatAll << 2 << QStringList{"file a", "file a", "file a"} << 0 << true;
    }
    void eachModeFollowsTheEndOfATrack() {
        QFETCH(QString, tracks);
        QFETCH(PlayMode, mode);
        QFETCH(int, ends);
        QFETCH(QStringList, log);
        QFETCH(int, index);
        QFETCH(bool, playing);
        Fixture f(tracks);
        f.playback.setMode(mode);
        f.playback.play();
        for (int i = 0; i < ends; ++i)
            f.media.finish();
        QCOMPARE(f.log(), log);
        QCOMPARE(f.playback.currentIndex(), index);
        QCOMPARE(f.playback.currentNumber(), index + 1);
        QCOMPARE(f.playback.isPlaying(), playing);
        QCOMPARE(f.playback.isOpen(), playing);
    }

    void playStartsTheSelectedLineWhenNoneIsCurrent_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("opened");
        QTest::addRow("the selected line") << 1 << "file b";
        QTest::addRow("the first line when none is selected") << -1 << "file a";
    }
    void playStartsTheSelectedLineWhenNoneIsCurrent() {
        QFETCH(int, selected);
        QFETCH(QString, opened);
        Fixture f{QString()};
        QCOMPARE(f.playback.currentIndex(), -1);
        f.commands.add({f.track('a'), f.track('b')});
        QCOMPARE(f.playback.currentIndex(), -1);  // 添加 to an empty list leaves no current track
        f.playback.play(selected);
        QCOMPARE(f.log(), QStringList{opened});
        QVERIFY(f.playback.isPlaying());
    }

    void playOnAnEmptyListOpensNothing() {
        Fixture f{QString()};
        f.playback.play(0);
        QVERIFY(f.log().isEmpty());
        QVERIFY(!f.playback.isPlaying());
        QCOMPARE(f.playback.currentNumber(), 0);
    }

    void pauseAndPlayContinueTheSameTrack() {
        Fixture f;
        f.playback.play();
        f.playback.pause();
        QVERIFY(!f.playback.isPlaying());
        QVERIFY(f.playback.isOpen());
        QCOMPARE(f.playback.playingTrack(), QString());
        f.playback.play(2);
        QCOMPARE(f.log(), QStringList({"file a", "pause", "play"}));
        QCOMPARE(f.playback.playingTrack(), f.track('a'));
    }

    void aDoubleClickPlaysThatLine() {
        Fixture f;
        f.playback.playLine(2);
        f.media.finish();
        QCOMPARE(f.log(), QStringList({"file c", "stop", "file "}));
        QCOMPARE(f.playback.currentIndex(), 0);
    }

    // A track that cannot play is the end of that track; 单曲循环 on it goes idle.
    void aFailedTrackEndsAtOnce_data() {
        QTest::addColumn<QString>("tracks");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<PlayMode>("mode");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("index");
        QTest::addRow("直播到底 skips a bad track")
            << "abc"
            << "b" << PlayMode::ThroughToEnd << QStringList{"file a", "file b", "file c"} << true << 2;
        QTest::addRow("a bad last track ends the list")
            << "ab"
            << "b" << PlayMode::ThroughToEnd << QStringList{"file a", "file b", "stop", "file "} << false
            << 0;
        QTest::addRow("全程循环 of bad tracks ends after each failed once")
            << "abc"
            << "abc" << PlayMode::RepeatAll << QStringList{"file a", "file b", "file c", "stop", "file "}
            << false << 0;
        QTest::addRow("全程循环 skips a bad track and goes round")
            << "ab"
            << "b" << PlayMode::RepeatAll << QStringList{"file a", "file b", "file a"} << true << 0;
        QTest::addRow("单曲循环 on a bad track goes idle")
            << "ab"
            << "a" << PlayMode::RepeatTrack << QStringList{"file a", "stop", "file "} << false << 0;
    }
    void aFailedTrackEndsAtOnce() {
        QFETCH(QString, tracks);
        QFETCH(QString, bad);
        QFETCH(PlayMode, mode);
        QFETCH(QStringList, log);
        QFETCH(bool, playing);
        QFETCH(int, index);
        Fixture f(tracks);
        for (QChar c : bad)
            f.media.unplayable << f.track(c);
        f.playback.setMode(mode);
        f.playback.play();
        // Good tracks end when the test says so; bad ones fail by themselves, later.
        for (int round = 0; round < 10 && f.log().size() < log.size(); ++round) {
            f.settle();
            if (f.log().size() < log.size() && f.playback.isOpen() &&
                !f.media.unplayable.contains(f.media.fileName())) {
                f.media.finish();
            }
        }
        f.settle();
        QCOMPARE(f.log(), log);
        QCOMPARE(f.playback.isPlaying(), playing);
        QCOMPARE(f.playback.currentIndex(), index);
    }

    // Each run of tracks that could not play is reported once, when the run is over.
    void skippedTracksAreReportedOncePerRun_data() {
        QTest::addColumn<QString>("tracks");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<PlayMode>("mode");
        QTest::addColumn<QStringList>("reports");
        QTest::addRow("a run in the middle, when the next track has played")
            << "abcd"
            << "bc" << PlayMode::ThroughToEnd << QStringList{"bc"};
        QTest::addRow("two runs, two reports") << "abcd"
                                               << "ad" << PlayMode::ThroughToEnd << QStringList{"a", "d"};
        QTest::addRow("a list of bad tracks only, in 全程循环")
            << "abc"
            << "abc" << PlayMode::RepeatAll << QStringList{"abc"};
        QTest::addRow("单曲循环 on a bad track") << "ab"
                                                 << "a" << PlayMode::RepeatTrack << QStringList{"a"};
    }
    void skippedTracksAreReportedOncePerRun() {
        QFETCH(QString, tracks);
        QFETCH(QString, bad);
        QFETCH(PlayMode, mode);
        QFETCH(QStringList, reports);
        Fixture f(tracks);
        for (QChar c : bad)
            f.media.unplayable << f.track(c);
        QStringList seen;
        connect(&f.playback, &Playback::tracksSkipped, this, [&](const QStringList& paths) {
            QString letters;
            for (const QString& p : paths)
                letters += QFileInfo(p).baseName();
            seen << letters;
        });
        f.playback.setMode(mode);
        f.playback.play();
        for (int round = 0; round < 20 && f.playback.isOpen(); ++round) {
            f.settle();
            if (f.playback.isOpen() && !f.media.unplayable.contains(f.media.fileName()))
                f.media.finish();
        }
        QCOMPARE(seen, reports);
    }

    void tenThousandMissingTracksAreOneReport() {
        Fixture f;
        QStringList missing;
        for (int i = 0; i < 10000; ++i)
            missing << QStringLiteral("/no-such-stick/music/%1.mp3").arg(i);
        f.media.unplayable = QSet<QString>(missing.begin(), missing.end());
        const QString file = f.path(QStringLiteral("PlayListFile/stick.PLF"));
        QVERIFY(DiskFiles().write(file, quoted(QLatin1Char('|') + missing.join(QLatin1Char('|')))));
        QSignalSpy skipped(&f.playback, &Playback::tracksSkipped);
        f.playback.broadcast(file, PlayOrder::Stored);
        QTRY_VERIFY(!f.playback.isOpen());
        QCOMPARE(skipped.size(), 1);
        QCOMPARE(skipped.first().first().toStringList(), missing);
    }

    // With the output gone every track would fail alike: the loop stops once, says why, and the next
    // play tries the output again.
    void anOutputFaultStopsTheLoopOnce_data() {
        QTest::addColumn<bool>("fromComponent");
        QTest::addRow("the component says the output failed") << true;
        QTest::addRow("the program is told") << false;
    }
    void anOutputFaultStopsTheLoopOnce() {
        QFETCH(bool, fromComponent);
        Fixture f;
        f.media.unplayable << f.track('a');
        QSignalSpy stopped(&f.playback, &Playback::stoppedByOutput);
        QSignalSpy skipped(&f.playback, &Playback::tracksSkipped);
        f.playback.play();
        f.settle();  // a fails as a file: b opens
        for (int i = 0; i < 2; ++i) {
            if (fromComponent)
                emit f.media.failed(f.track('b'),
                                    {quel::MediaFault::Kind::Output, QStringLiteral("没有声音输出")});
            else
                f.playback.outputFailed(QStringLiteral("没有声音输出"));
        }
        f.settle();
        QCOMPARE(f.log(), QStringList({"file a", "file b", "stop", "file "}));
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(stopped.first().first().toString(), QStringLiteral("没有声音输出"));
        QCOMPARE(skipped.size(), 1);
        QVERIFY(!f.playback.isPlaying());
        QCOMPARE(f.playback.currentIndex(), 1);
        f.playback.play();
        QCOMPARE(f.log().last(), QStringLiteral("file b"));
        QVERIFY(f.playback.isPlaying());
    }

    void aFailureMidwayAdvancesAndStaleFailuresAreIgnored() {
        Fixture f;
        f.playback.play();
        emit f.media.failed(f.track('c'));  // not the open track
        QCOMPARE(f.log(), QStringList{"file a"});
        f.media.fail();
        QCOMPARE(f.log(), QStringList({"file a", "file b"}));
    }

    void deletingThePausedTrackClosesIt() {
        Fixture f;
        f.playback.playLine(1);
        f.playback.pause();
        f.commands.remove(f.track('b'), f.playback.playingTrack());
        QCOMPARE(f.log(), QStringList({"file b", "pause", "stop", "file "}));
        QCOMPARE(f.playback.currentIndex(), -1);
        QCOMPARE(f.list.tracks(), QStringList({f.track('a'), f.track('c')}));
    }

    void anEditKeepsTheCurrentTrackByItsPath() {
        Fixture f;
        f.playback.playLine(2);
        f.commands.remove(f.track('a'), f.playback.playingTrack());
        QCOMPARE(f.playback.currentIndex(), 1);
        QCOMPARE(f.playback.currentNumber(), 2);
        f.commands.switchOrder();
        QCOMPARE(f.list.tracks().at(f.playback.currentIndex()), f.track('c'));
        QVERIFY(f.playback.isPlaying());
        QCOMPARE(f.log(), QStringList{"file c"});  // neither edit touched the sound
    }

    void aBroadcastReplacesThePlayingList_data() {
        QTest::addColumn<PlayOrder>("order");
        QTest::addRow("static") << PlayOrder::Stored;
        QTest::addRow("dynamic") << PlayOrder::Shuffled;
    }
    void aBroadcastReplacesThePlayingList() {
        QFETCH(PlayOrder, order);
        Fixture f;
        f.playback.setMode(PlayMode::RepeatTrack);
        f.playback.playLine(1);
        const QString other = f.path(QStringLiteral("PlayListFile/other.PLF"));
        DiskFiles().write(other, quoted(f.text(QStringLiteral("dx"))));
        f.playback.broadcast(other, order);
        const QString first = order == PlayOrder::Stored ? "file d" : "file x";
        QCOMPARE(f.log(), QStringList({"file b", "stop", "file ", first}));
        QCOMPARE(f.list.realFileName(), other);
        QCOMPARE(f.list.order(), order);
        QCOMPARE(f.playback.currentIndex(), 0);
        QVERIFY(f.playback.isPlaying());
        QCOMPARE(f.playback.mode(), PlayMode::RepeatTrack);
    }

    void aBroadcastOfAMissingListPlaysNothing() {
        Fixture f;
        f.playback.play();
        f.playback.broadcast(f.path(QStringLiteral("PlayListFile/none.PLF")), PlayOrder::Stored);
        QCOMPARE(f.log(), QStringList({"file a", "stop", "file "}));
        QVERIFY(!f.playback.isPlaying());
        QCOMPARE(f.playback.currentNumber(), 0);
        QVERIFY(!QFile::exists(f.path(QStringLiteral("PlayListFile/none.PLF"))));
    }

    void theDurationIsPassedOn() {
        Fixture f;
        QSignalSpy duration(&f.playback, &Playback::durationChanged);
        f.playback.play();
        f.media.announceDuration(12.5);
        QCOMPARE(duration.count(), 1);
        QCOMPARE(f.playback.duration(), 12.5);
    }
};

QTEST_GUILESS_MAIN(PlaybackTest)
#include "playback_test.moc"
