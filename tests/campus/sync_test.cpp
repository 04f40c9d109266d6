// A source and its followers sharing a bundle folder: edits travel, failures keep the old copy.

#include <QFile>
#include <QTest>

#include "campus/bundle.h"
#include "campus/signing.h"
#include "campus_fixture.h"

using namespace quel::campus;
using namespace quel::campus::test;

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
