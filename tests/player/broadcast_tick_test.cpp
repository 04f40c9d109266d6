// The schedule's broadcast entries fired by the clock tick on fakes, through a stand-in for the
// program's response router that hands the parsed play-list path and order to the broadcaster.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "fakes/quiet_responses.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

// What the router does with the three broadcast responses.
class BroadcastRouter final : public QuietResponses {
public:
    explicit BroadcastRouter(Broadcaster& broadcaster) : broadcaster_(broadcaster) {}
    void broadcastOn(const QString& path, PlayOrder order) override { broadcaster_.broadcastOn(path, order); }
    void broadcastOff() override { broadcaster_.broadcastOff(); }

private:
    Broadcaster& broadcaster_;
};

struct Fixture {
    Fixture()
        : fake(dir.path()),
          broadcaster(fake.platform, [](PlayerSession&) { return nullptr; }),
          router(broadcaster),
          tick(
              fake.clock, fake.launcher, [this] { return router.table; }, router) {
        DiskFiles disk;
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        for (const char* n : {"a.wav", "b.wav"})
            disk.write(path(QLatin1String(n)), "sound");
        disk.write(list(), quoted('|' + path("a.wav") + '|' + path("b.wav")));
        disk.writeText(path(settings::kDefaultPlf), path(settings::kDefaultPlayList));
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 29, 59)));
        tick.setProgramClockFromSystem();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString list() const { return path(QStringLiteral("PlayListFile/课间 操.PLF")); }
    void step() {
        fake.clock.advance(1000);
        tick.tick();
    }
    QTemporaryDir dir;
    FakePlatform fake;
    Broadcaster broadcaster;
    BroadcastRouter router;
    ClockTick tick;
};

}  // namespace

class BroadcastTickTest : public QObject {
    Q_OBJECT
private slots:
    void entriesStartAndEndABroadcast_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("first");
        QTest::addRow("播音开-静态 plays the stored order") << QStringLiteral("播音开-静态") << "a.wav";
        QTest::addRow("播音开-动态 plays two tracks reversed") << QStringLiteral("播音开-动态") << "b.wav";
    }
    void entriesStartAndEndABroadcast() {
        QFETCH(QString, keyword);
        QFETCH(QString, first);
        Fixture f;
        f.router.table = {QStringLiteral("8:30:00*课间>每天<") + keyword + f.list(),
                          QStringLiteral("8:30:02*结束>每天<播音关")};
        QSignalSpy loaded(&f.broadcaster, &Broadcaster::playerLoadedChanged);
        f.step();
        QVERIFY(f.broadcaster.isLoaded());
        QCOMPARE(f.broadcaster.session()->playList().realFileName(), f.list());
        QCOMPARE(f.fake.media.log, QStringList{"m1 file " + f.path(first)});
        f.step();
        QVERIFY(f.broadcaster.isLoaded());
        f.step();
        QVERIFY(!f.broadcaster.isLoaded());
        QCOMPARE(f.fake.media.log.mid(1), QStringList({"m1 stop", "m1 file "}));
        QCOMPARE(loaded.count(), 2);
        QVERIFY(f.tick.isActive());
    }

    void aSecondBroadcastReplacesTheList() {
        Fixture f;
        const QString other = f.path(QStringLiteral("PlayListFile/other.PLF"));
        DiskFiles().write(other, quoted('|' + f.path("b.wav")));
        f.router.table = {QStringLiteral("8:30:00*一>每天<播音开-静态") + f.list(),
                          QStringLiteral("8:30:01*二>每天<播音开-静态") + other};
        f.step();
        f.step();
        QCOMPARE(f.fake.media.made.size(), 1);
        QCOMPARE(f.fake.media.log, QStringList({"m1 file " + f.path("a.wav"), "m1 stop", "m1 file ",
                                                "m1 file " + f.path("b.wav")}));
        QCOMPARE(f.broadcaster.session()->playList().realFileName(), other);
    }
};

QTEST_MAIN(BroadcastTickTest)
#include "broadcast_tick_test.moc"
