// The spoken time through the player on fakes: the files it plays, the record it writes, and what the
// player does when the announcement's fifteen seconds are over.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/say_time.h"
#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/from_player.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;

Q_DECLARE_METATYPE(quel::PlayOrder)
Q_DECLARE_METATYPE(quel::PlayMode)

namespace {

using quel::testing::quoted;

struct Fixture {
    // The voice folder is spelt in another case than the program writes it, as a copied folder may be.
    explicit Fixture(bool withWindow = false)
        : fake(dir.path()), broadcaster(fake.platform, [withWindow](PlayerSession& s) -> QWidget* {
              return withWindow ? new FromPlayer(s) : nullptr;
          }) {}
    Fixture(const Fixture&) = delete;

    void setUp(const QStringList& missing = {}) {
        DiskFiles disk;
        QDir(dir.path()).mkpath(QStringLiteral("saytimewav/M"));
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        for (const QString& file :
             sayTimeFiles(Voice::Male, {8, 7, 30}) + sayTimeFiles(Voice::Male, {8, 0, 0})) {
            const QString name = fileNamePart(file);
            if (!missing.contains(name))
                disk.write(voice(name), "sound");
        }
        for (const char* n : {"a.wav", "b.wav", "c.wav"})
            disk.write(path(QLatin1String(n)), "sound");
        disk.write(list(), listBytes());
        disk.writeText(path(settings::kDefaultPlf), path(settings::kDefaultPlayList));
    }
    QByteArray listBytes() const {
        return quoted('|' + path("a.wav") + '|' + path("b.wav") + '|' + path("c.wav"));
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString voice(const QString& name) const { return path(QStringLiteral("saytimewav/M/") + name); }
    QString list() const { return path(QStringLiteral("PlayListFile/课间.PLF")); }
    FakeMedia& media() const { return *fake.media.made.last(); }
    QStringList opened() const {
        QStringList files;
        for (const QString& line : fake.media.log)
            if (line.startsWith(QStringLiteral("m1 file ")) && line.size() > 8)
                files << fileNamePart(line.mid(8));
        return files;
    }
    void seconds(int n) {
        for (int i = 0; i < n; ++i)
            broadcaster.resumeTick();
    }
    // Each file of the announcement plays to its end.
    void finishAnnouncement() {
        while (broadcaster.session() && broadcaster.session()->announcement().isPlaying())
            media().finish();
    }

    QTemporaryDir dir;
    FakePlatform fake;
    Broadcaster broadcaster;
};

}  // namespace

class SpokenTimeTest : public QObject {
    Q_OBJECT
private slots:
    void playsTheFilesThatExistInOrder_data() {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("recordWritable");
        QTest::addColumn<QString>("heard");
        QTest::addRow("all there") << QStringList() << true << "ML MBJT M8 MH M7 MM M30 MS";
        QTest::addRow("minute number missing, minute word kept")
            << QStringList{QStringLiteral("M7.wav")} << true << "ML MBJT M8 MH MM M30 MS";
        QTest::addRow("record not writable, still this time")
            << QStringList() << false << "ML MBJT M8 MH M7 MM M30 MS";
    }
    void playsTheFilesThatExistInOrder() {
        QFETCH(QStringList, missing);
        QFETCH(bool, recordWritable);
        QFETCH(QString, heard);
        Fixture f;
        f.setUp(missing);
        const QString record = f.path(settings::kSayTimeFile);
        // A stale record from an earlier time must not be what plays.
        DiskFiles().writeText(record, '|' + f.voice(QStringLiteral("MZ.wav")));
        if (!recordWritable)
            f.fake.files.unwritable << record;

        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 7, 30}));
        f.finishAnnouncement();

        QStringList expected;
        for (const QString& name : heard.split(QLatin1Char(' ')))
            expected << name + QStringLiteral(".wav");
        QCOMPARE(f.opened(), expected);
        QVERIFY(f.media().fileName().isEmpty());
        QVERIFY(f.fake.files.writes.contains(record));
        if (recordWritable) {
            QStringList paths;
            for (const QString& name : expected)
                paths << f.voice(name);
            QCOMPARE(*DiskFiles().read(record), quoted('|' + paths.join('|')));
        }
    }

    void aWholeHourWithEveryFileMissingPlaysNothingAndStillWaits() {
        Fixture f;
        f.setUp(sayTimeFiles(Voice::Male, {8, 0, 0})
                    .replaceInStrings(QStringLiteral("SayTimeWav/M/"), QString()));
        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 0, 0}));
        QVERIFY(f.opened().isEmpty());
        f.seconds(14);
        QVERIFY(f.broadcaster.isLoaded());
        f.seconds(1);
        QVERIFY(!f.broadcaster.isLoaded());
    }

    void aBroadcastResumesFromItsFirstTrackInItsMode_data() {
        QTest::addColumn<PlayOrder>("order");
        QTest::addColumn<PlayMode>("mode");
        QTest::addRow("stored, 全程循环") << PlayOrder::Stored << PlayMode::RepeatAll;
        QTest::addRow("shuffled, 单曲循环") << PlayOrder::Shuffled << PlayMode::RepeatTrack;
        QTest::addRow("stored, 直播到底") << PlayOrder::Stored << PlayMode::ThroughToEnd;
    }
    void aBroadcastResumesFromItsFirstTrackInItsMode() {
        QFETCH(PlayOrder, order);
        QFETCH(PlayMode, mode);
        Fixture f(true);
        f.setUp();
        f.broadcaster.broadcastOn(f.list(), order);
        f.broadcaster.session()->playback().setMode(mode);
        f.media().finish();  // the second track plays
        QVERIFY(f.broadcaster.window()->isVisible());

        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 7, 30}));
        QVERIFY(!f.broadcaster.window()->isVisible());
        QCOMPARE(fileNamePart(f.media().fileName()), QStringLiteral("ML.wav"));
        f.media().finish();
        // The list's own loop does not follow the announcement's files.
        QCOMPARE(fileNamePart(f.media().fileName()), QStringLiteral("MBJT.wav"));
        f.finishAnnouncement();
        f.seconds(14);
        QVERIFY(f.media().fileName().isEmpty());

        f.seconds(1);
        QVERIFY(f.broadcaster.window()->isVisible());
        QCOMPARE(f.media().fileName(), f.path("a.wav"));
        QCOMPARE(f.broadcaster.session()->playList().tracks().first(), f.path("a.wav"));
        QCOMPARE(f.broadcaster.session()->playback().mode(), mode);
        QVERIFY(!f.broadcaster.resumePending());
        QCOMPARE(*DiskFiles().read(f.list()), f.listBytes());
    }

    // The resume comes at the later of the announcement's end and its fifteenth second: on a loaded
    // machine the voice files start late and the words run past fifteen seconds.
    void theResumeWaitsForTheLaterOfTheEndAndFifteenSeconds_data() {
        QTest::addColumn<int>("endsAt");  // -1: the component never reports the end
        QTest::addColumn<int>("resumesAt");
        QTest::addRow("ends at 4 s, resumes at 15 s") << 4 << 15;
        QTest::addRow("ends at 15 s, resumes then") << 15 << 15;
        QTest::addRow("ends at 21 s, resumes at its end") << 21 << 21;
        QTest::addRow("never ends, resumes at the limit") << -1 << Broadcaster::kLongestAnnouncementSeconds;
    }
    void theResumeWaitsForTheLaterOfTheEndAndFifteenSeconds() {
        QFETCH(int, endsAt);
        QFETCH(int, resumesAt);
        Fixture f;
        f.setUp();
        f.broadcaster.broadcastOn(f.list(), PlayOrder::Stored);
        f.broadcaster.session()->playback().pause();
        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 7, 30}));
        int second = 0;
        while (second < Broadcaster::kLongestAnnouncementSeconds + 5 && f.broadcaster.resumePending()) {
            if (second == endsAt)
                f.finishAnnouncement();
            QCoreApplication::processEvents();
            if (!f.broadcaster.resumePending())
                break;
            f.seconds(1);
            ++second;
            // Nothing of the list sounds while the words are still being said.
            if (f.broadcaster.resumePending())
                QVERIFY(f.media().fileName() != f.path("a.wav"));
        }
        QCOMPARE(second, resumesAt);
        QCOMPARE(f.media().fileName(), f.path("a.wav"));
        QVERIFY(!f.broadcaster.session()->announcement().isPlaying());
    }

    // 中文男声报时 at 8:00:00 with the player idle, 播音开 at 8:00:05: the broadcast goes on.
    void whatStartsMeanwhileCancelsTheResume_data() {
        QTest::addColumn<int>("action");
        QTest::addRow("a broadcast starts") << 0;
        QTest::addRow("play") << 1;
        QTest::addRow("double-click") << 2;
        QTest::addRow("打开") << 3;
        QTest::addRow("新建") << 4;
    }
    void whatStartsMeanwhileCancelsTheResume() {
        QFETCH(int, action);
        Fixture f;
        f.setUp();
        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 0, 0}));
        f.seconds(5);
        Playback& playback = f.broadcaster.session()->playback();
        if (action == 0) {
            f.broadcaster.broadcastOn(f.list(), PlayOrder::Stored);
        } else {
            f.broadcaster.session()->playList().loadForBroadcast(f.list(), PlayOrder::Stored);
            f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 0, 5}));
            if (action == 1)
                playback.play();
            if (action == 2)
                playback.playLine(1);
        }
        if (action >= 3) {
            f.fake.dialogs.fileAnswers.push_back(action == 3 ? f.list() : f.path("PlayListFile/新.PLF"));
            action == 3 ? f.broadcaster.session()->listCommands().open()
                        : f.broadcaster.session()->listCommands().createNew();
            QVERIFY(!f.broadcaster.resumePending());
            f.seconds(20);
            QVERIFY(f.broadcaster.isLoaded());
            return;
        }
        QVERIFY(!f.broadcaster.resumePending());
        QVERIFY(!f.broadcaster.session()->announcement().isPlaying());
        f.seconds(20);
        QVERIFY(f.broadcaster.isLoaded());
        QVERIFY(playback.isOpen());
        f.media().finish();
        QVERIFY(playback.isOpen());
    }

    void aSecondAnnouncementKeepsTheFirstsView() {
        Fixture f;
        f.setUp();
        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 0, 0}));
        f.seconds(3);
        // The first is still playing: its file is open in the component.
        QVERIFY(f.broadcaster.session()->announcement().isPlaying());
        f.broadcaster.announce(sayTimeFiles(Voice::Male, {8, 0, 3}));
        f.finishAnnouncement();
        f.seconds(14);
        QVERIFY(f.broadcaster.isLoaded());
        f.seconds(1);
        QVERIFY(!f.broadcaster.isLoaded());
        QVERIFY(!f.opened().contains(QStringLiteral("a.wav")));
    }

    void theMenuItemFollowsTheAnnouncement() {
        Fixture f;
        f.setUp();
        QSignalSpy loaded(&f.broadcaster, &Broadcaster::playerLoadedChanged);
        f.broadcaster.announce(sayTimeFiles(Voice::Female, {13, 0, 0}));
        f.finishAnnouncement();
        f.seconds(15);
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded.at(0).at(0).toBool(), true);
        QCOMPARE(loaded.at(1).at(0).toBool(), false);
    }
};

QTEST_MAIN(SpokenTimeTest)
#include "spoken_time_test.moc"
