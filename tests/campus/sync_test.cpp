// A source and its followers sharing a bundle folder: edits travel, failures keep the old copy.

#include <QFile>
#include <QTest>

#include "campus/bundle.h"
#include "campus/signing.h"
#include "campus_fixture.h"

using namespace quel::campus;
using namespace quel::campus::test;

namespace {

// Takes every request and never answers, as a web server that hangs.
class SilentSource final : public BundleSource {
public:
    void get(const QString&, qint64, bool, FetchDone) override {}
    void forget() override {}
};

const QString kSilent = QStringLiteral("/silent");

// What was asked from afar, from the command line of another terminal.
enum class Afar { Follow, FollowOtherKey, FollowKeyCut, SyncOff, SyncUnchanged, SyncHangs, StopWhileWaiting };

}  // namespace

Q_DECLARE_METATYPE(Afar)

class SyncTest : public QObject {
    Q_OBJECT
private slots:
    void publishesWhatRingsAndTheKeyLast() {
        CampusOf c(0);
        writeBytes(c.source().file(QStringLiteral("DayTimeTable/Other.DTT")),
                   tableBytes(QStringLiteral("9:00:00"), QStringLiteral("/usr/share/sounds/outside.wav")));
        writeBytes(c.source().file(QStringLiteral("AutoRunYesNo.txt")), "\"YES\"\r\n");
        const CampusResult r = c.source().campus->publish(c.bundle());
        QVERIFY2(r.ok, qPrintable(r.message));
        const QStringList lines = r.message.split(u'\n');
        QVERIFY(publicKeyFromText(lines.last()));
        QVERIFY(r.message.contains(QStringLiteral("/usr/share/sounds/outside.wav")));
        const Manifest m = std::get<Manifest>(
            parseManifest(readBytes(c.bundle() + QStringLiteral("/manifest.signed")).mid(kSignatureBytes)));
        QStringList paths;
        for (const ManifestFile& f : m.files)
            paths << f.path;
        paths.sort();
        QCOMPARE(paths, (QStringList{QStringLiteral("DayTimeTable/Default.DTT"),
                                     QStringLiteral("DayTimeTable/Other.DTT"),
                                     QStringLiteral("DefaultDTT.txt"), kSound}));
        QCOMPARE(readBytes(payloadOf(c.bundle(), kSound)), QByteArray("RIFF first bell"));
        QCOMPARE(c.source().campus->status().role, Role::Source);
    }

    void refusesABundleFolderInsideTheProgramFolder() {
        CampusOf c(0);
        const CampusResult r = c.source().campus->publish(c.source().file(QStringLiteral("out")));
        QVERIFY(!r.ok);
        QVERIFY(!QFileInfo::exists(c.source().file(QStringLiteral("out"))));
    }

    // An edit on the source rings on every follower within a minute, from the follower's own folder.
    void editReachesEveryFollowerWithinAMinute() {
        CampusOf c(4);
        c.followAll();
        c.run(5);
        writeBytes(c.source().file(kTable),
                   tableBytes(QStringLiteral("8:05:00"), c.source().file(kSound)) + "  ");
        writeBytes(c.source().file(kSound), QByteArray("RIFF second, longer bell"));
        std::vector<std::unique_ptr<QSignalSpy>> installed;
        for (int i = 0; i < c.followers(); ++i)
            installed.push_back(std::make_unique<QSignalSpy>(c.follower(i).campus.get(), &Campus::installed));
        c.run(60);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            QCOMPARE(installed[size_t(i)]->count(), 1);
            QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("8:05:00"), f.file(kSound)) + "  ");
            QCOMPARE(readBytes(f.file(kSound)), QByteArray("RIFF second, longer bell"));
            QCOMPARE(f.campus->status().version, c.source().campus->status().version);
            QVERIFY(!QFileInfo::exists(f.file(QStringLiteral("Campus/staging"))));
        }
    }

    void followersGoOnWhenTheSourceIsGone() {
        CampusOf c(2);
        c.followAll();
        QList<QByteArray> tables;
        for (int i = 0; i < c.followers(); ++i)
            tables << readBytes(c.follower(i).file(kTable));
        QVERIFY(QDir(c.bundle()).removeRecursively());
        c.run(61);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            const QByteArray& table = tables[i];
            QVERIFY(!f.campus->status().lastOk);
            QVERIFY(lastLine(f).contains(QStringLiteral("继续使用原有版本")));
            QCOMPARE(readBytes(f.file(kTable)), table);
        }
    }

    void refusals_data() { addRefusalRows(true); }
    void refusals() {
        QFETCH(Tamper, tamper);
        QFETCH(QString, reason);
        CampusOf c(1);
        c.followAll();
        checkRefusal(c, tamper, reason);
    }

    // A stop between the first and the last rename is finished at the next start.
    void interruptedInstallIsFinishedAtStart() {
        CampusOf c(1);
        c.followAll();
        Member& f = c.follower(0);
        c.clock.advance(1000);
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("10:00:00"), c.source().file(kSound)));
        QVERIFY(c.source().campus->syncNow().ok);
        const QByteArray signedManifest = readBytes(c.bundle() + QStringLiteral("/manifest.signed"));
        const Manifest m = std::get<Manifest>(parseManifest(signedManifest.mid(kSignatureBytes)));
        for (const ManifestFile& file : m.files)
            QVERIFY(storeInCache(f.folder(), file.sha256, readBytes(payloadOf(c.bundle(), file.path))));
        writeBytes(f.file(QStringLiteral("Campus/pending.signed")), signedManifest);

        Campus restarted(c.clock, f.folder(), f.log, c.clockState);
        QSignalSpy installed(&restarted, &Campus::installed);
        restarted.start();
        QCOMPARE(installed.count(), 1);
        QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("10:00:00"), f.file(kSound)));
        QCOMPARE(restarted.status().version, m.version);
        QVERIFY(!QFileInfo::exists(f.file(QStringLiteral("Campus/pending.signed"))));
    }

    void followingLocksEditingUntilStopped() {
        CampusOf c(1);
        c.followAll();
        Campus& f = *c.follower(0).campus;
        QVERIFY(f.editingLocked());
        QVERIFY(f.lockNotice().contains(c.bundle()));
        QVERIFY(!f.publish(c.bundle()).ok);
        QVERIFY(f.stop().ok);
        QVERIFY(!f.editingLocked());
        Campus again(c.clock, c.follower(0).folder(), c.follower(0).log, c.clockState);
        again.start();
        QCOMPARE(again.status().role, Role::Off);
    }

    void followRefusesBadInput_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("key");
        const QString key = publicKeyText(makeKeyPair().publicKey);
        QTest::addRow("a relative folder") << QStringLiteral("bundle") << key;
        QTest::addRow("an ftp address") << QStringLiteral("ftp://host/bundle") << key;
        QTest::addRow("http without a host") << QStringLiteral("http:///bundle") << key;
        QTest::addRow("a key cut short") << QStringLiteral("/srv/bundle") << key.left(20);
    }
    void followRefusesBadInput() {
        QFETCH(QString, address);
        QFETCH(QString, key);
        CampusOf c(1);
        Member& f = c.follower(0);
        f.campus->start();
        QVERIFY(!f.campus->follow(address, key).ok);
        QCOMPARE(f.campus->status().role, Role::Off);
        QVERIFY(!QFileInfo::exists(f.file(QStringLiteral("Campus"))));
    }

    // A request from afar is answered once, when its fetch ended, with what was done before it; a
    // fetch that hangs is answered as still going before the command line gives up waiting.
    void answersFromAfar_data() {
        QTest::addColumn<Afar>("asked");
        QTest::addColumn<int>("seconds");  // of the program's clock until the answer
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("says");
        QTest::addRow("follow answers with the version installed")
            << Afar::Follow << 0 << true << QStringLiteral("; 已同步版本 ");
        QTest::addRow("follow of a bundle under another key is a refusal")
            << Afar::FollowOtherKey << 0 << false << QStringLiteral("; 拒绝: 签名不对");
        QTest::addRow("a key cut short is refused before any fetch")
            << Afar::FollowKeyCut << 0 << false << QStringLiteral("公钥不对");
        QTest::addRow("sync while not on a campus")
            << Afar::SyncOff << 0 << false << QStringLiteral("本机未加入多机同步");
        QTest::addRow("sync with nothing new")
            << Afar::SyncUnchanged << 0 << true << QStringLiteral("未变化");
        QTest::addRow("a source that hangs") << Afar::SyncHangs << int(Campus::kAnswerWithinMs / 1000)
                                             << false << QStringLiteral("同步仍在进行");
        QTest::addRow("stopped while waiting")
            << Afar::StopWhileWaiting << 0 << false << QStringLiteral("同步已取消");
    }
    void answersFromAfar() {
        QFETCH(Afar, asked);
        QFETCH(int, seconds);
        QFETCH(bool, ok);
        QFETCH(QString, says);
        CampusOf c(1, [](const QString& address) -> std::unique_ptr<BundleSource> {
            if (address == kSilent)
                return std::make_unique<SilentSource>();
            return sourceFor(address);
        });
        const QString key = c.source().campus->publish(c.bundle()).message.split(u'\n').last();
        Campus& f = *c.follower(0).campus;
        f.start();
        QList<CampusResult> answers;
        const Campus::Answer answer = [&answers](const CampusResult& r) { answers << r; };
        switch (asked) {
            case Afar::Follow:
                f.followThen(c.bundle(), key, answer);
                break;
            case Afar::FollowOtherKey:
                f.followThen(c.bundle(), publicKeyText(makeKeyPair().publicKey), answer);
                break;
            case Afar::FollowKeyCut:
                f.followThen(c.bundle(), key.left(20), answer);
                break;
            case Afar::SyncOff:
                f.syncThen(answer);
                break;
            case Afar::SyncUnchanged:
                QVERIFY(f.follow(c.bundle(), key).ok);
                f.syncThen(answer);
                break;
            case Afar::SyncHangs:
                QVERIFY(f.follow(kSilent, key).ok);
                f.syncThen(answer);
                break;
            case Afar::StopWhileWaiting:
                f.followThen(kSilent, key, answer);
                QVERIFY(answers.isEmpty());
                QVERIFY(f.stop().ok);
                break;
        }
        for (int s = 0; s < seconds; ++s) {
            QVERIFY2(answers.isEmpty(), qPrintable(answers.value(0).message));
            c.clock.advance(1000);
            f.onTick();
        }
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers.first().ok, ok);
        QVERIFY2(answers.first().message.contains(says), qPrintable(answers.first().message));
        if (asked == Afar::Follow || asked == Afar::FollowOtherKey)
            QVERIFY(answers.first().message.startsWith(QStringLiteral("已跟随 ") + c.bundle()));
        for (int s = 0; s < 70; ++s) {
            c.clock.advance(1000);
            f.onTick();
        }
        QCOMPARE(answers.size(), 1);
    }

    // Off, nothing is read or written, whatever time passes.
    void offTouchesNothing() {
        CampusOf c(1);
        c.follower(0).campus->start();
        c.run(180);
        QCOMPARE(c.clockState.reads, 0);
        QVERIFY(c.follower(0).log.lines.isEmpty());
        QVERIFY(!QFileInfo::exists(c.follower(0).file(QStringLiteral("Campus"))));
    }

    void unsynchronisedClockIsShownAndWrittenOnce() {
        CampusOf c(1);
        c.followAll();
        Member& f = c.follower(0);
        c.clockState.state = {ClockState::Sync::NotSynchronized, QStringLiteral("chrony 未同步")};
        c.run(185);
        QCOMPARE(f.campus->status().clock.sync, ClockState::Sync::NotSynchronized);
        QCOMPARE(f.log.lines.filter(QStringLiteral("系统时钟未同步")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(SyncTest)
#include "sync_test.moc"
