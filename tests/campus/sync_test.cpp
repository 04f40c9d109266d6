// A source and its followers sharing a bundle folder: edits travel, failures keep the old copy.

#include <QFile>
#include <QTest>

#include "campus/bundle.h"
#include "campus/signing.h"
#include "campus_fixture.h"

using namespace quel::campus;
using namespace quel::campus::test;

namespace {

const QString kTable = QStringLiteral("DayTimeTable/Default.DTT");
const QString kSound = QStringLiteral("sounds/bell.wav");

QString lastLine(const Member& m) {
    return m.log.lines.isEmpty() ? QString() : m.log.lines.last();
}

// The bundle's payload of one path, as the manifest names it.
QString payloadOf(const QString& bundle, const QString& relative) {
    QFile f(bundle + QStringLiteral("/manifest.signed"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const ManifestResult r = parseManifest(f.readAll().mid(kSignatureBytes));
    for (const ManifestFile& file : std::get<Manifest>(r).files) {
        if (file.path == relative)
            return bundle + QStringLiteral("/files/") + QString::fromLatin1(file.sha256);
    }
    return {};
}

// Rewrites the bundle's manifest through `edit` and signs it again with the source's own key, as a
// source whose key was stolen, or a bug of its own, would.
void resign(CampusOf& c, const std::function<void(Manifest&)>& edit) {
    const QString path = c.bundle() + QStringLiteral("/manifest.signed");
    Manifest m = std::get<Manifest>(parseManifest(readBytes(path).mid(kSignatureBytes)));
    edit(m);
    writeBytes(path, signManifest(manifestBytes(m), loadOrMakeKeys(c.source().folder()).keys->secretKey));
}

enum class Tamper {
    OtherKey,
    SignatureFlipped,
    ManifestEdited,
    PayloadChanged,
    PayloadTruncated,
    PayloadLink,
    PayloadLongerThanNamed,
    PathUp,
    PathAbsolute,
    SizeOverCap,
    OlderBundle,
    FollowerFolderIsLink,
};

}  // namespace

class SyncTest : public QObject {
    Q_OBJECT
private:
    // A campus whose followers all follow the source's bundle and rang from its first version.
    static void followAll(CampusOf& c) {
        const CampusResult published = c.source().campus->publish(c.bundle());
        QVERIFY2(published.ok, qPrintable(published.message));
        const QString key = published.message.split(u'\n').last();
        for (int i = 0; i < c.followers(); ++i) {
            Member& f = c.follower(i);
            f.campus->start();
            const CampusResult r = f.campus->follow(c.bundle(), key);
            QVERIFY2(r.ok, qPrintable(r.message));
            QVERIFY2(f.campus->status().lastOk, qPrintable(f.campus->status().lastResult));
        }
    }

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
        followAll(c);
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
        followAll(c);
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

    void refusals_data() {
        QTest::addColumn<Tamper>("tamper");
        QTest::addColumn<QString>("reason");
        QTest::addRow("signed by another key") << Tamper::OtherKey << QStringLiteral("签名不对");
        QTest::addRow("signature flipped") << Tamper::SignatureFlipped << QStringLiteral("签名不对");
        QTest::addRow("manifest edited after signing")
            << Tamper::ManifestEdited << QStringLiteral("签名不对");
        QTest::addRow("a file changed") << Tamper::PayloadChanged << QStringLiteral("文件被改动");
        QTest::addRow("a file cut short") << Tamper::PayloadTruncated << QStringLiteral("文件不完整");
        QTest::addRow("a file replaced by a link") << Tamper::PayloadLink << QStringLiteral("不是普通文件");
        QTest::addRow("a file longer than named") << Tamper::PayloadLongerThanNamed << QStringLiteral("上限");
        QTest::addRow("a path up out of the folder") << Tamper::PathUp << QStringLiteral("不安全的路径");
        QTest::addRow("an absolute path") << Tamper::PathAbsolute << QStringLiteral("不安全的路径");
        QTest::addRow("a size over the cap") << Tamper::SizeOverCap << QStringLiteral("上限");
        QTest::addRow("an older bundle than the one in use") << Tamper::OlderBundle << QStringLiteral("旧");
        QTest::addRow("the follower's table folder a link out")
            << Tamper::FollowerFolderIsLink << QStringLiteral("链接");
    }
    // Each refusal is written to the history, and the follower keeps ringing its old copy.
    void refusals() {
        QFETCH(Tamper, tamper);
        QFETCH(QString, reason);
        CampusOf c(1);
        followAll(c);
        Member& f = c.follower(0);
        QTemporaryDir elsewhere;
        const QByteArray first = readBytes(c.bundle() + QStringLiteral("/manifest.signed"));
        c.clock.advance(1000);
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("9:30:00"), c.source().file(kSound)));
        QVERIFY(c.source().campus->syncNow().ok);
        if (tamper == Tamper::OlderBundle) {
            QVERIFY(f.campus->syncNow().ok);
            QVERIFY(f.campus->status().lastOk);
        }
        const QByteArray table = readBytes(f.file(kTable));
        const qint64 version = f.campus->status().version;
        const QString tablePayload = payloadOf(c.bundle(), kTable);
        const QString manifest = c.bundle() + QStringLiteral("/manifest.signed");
        switch (tamper) {
            case Tamper::OtherKey:
                writeBytes(manifest,
                           signManifest(readBytes(manifest).mid(kSignatureBytes), makeKeyPair().secretKey));
                break;
            case Tamper::SignatureFlipped: {
                QByteArray b = readBytes(manifest);
                b[3] = char(b[3] ^ 1);
                writeBytes(manifest, b);
                break;
            }
            case Tamper::ManifestEdited:
                writeBytes(manifest, readBytes(manifest).replace("DayTimeTable/Default.DTT",
                                                                 "DayTimeTable/Default.DTx"));
                break;
            case Tamper::PayloadChanged: {
                QByteArray b = readBytes(tablePayload);
                b[b.size() - 3] = 'X';
                writeBytes(tablePayload, b);
                break;
            }
            case Tamper::PayloadTruncated:
                writeBytes(tablePayload, readBytes(tablePayload).chopped(4));
                break;
            case Tamper::PayloadLink: {
                const QByteArray b = readBytes(tablePayload);
                writeBytes(elsewhere.filePath(QStringLiteral("same")), b);
                QVERIFY(QFile::remove(tablePayload));
                QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("same")), tablePayload));
                break;
            }
            case Tamper::PayloadLongerThanNamed:
                writeBytes(tablePayload, readBytes(tablePayload) + QByteArray(100, ' '));
                break;
            case Tamper::PathUp:
                resign(c, [](Manifest& m) {
                    m.files.first().path = QStringLiteral("DayTimeTable/../../x.DTT");
                });
                break;
            case Tamper::PathAbsolute:
                resign(c, [&](Manifest& m) {
                    m.files.first().path = elsewhere.filePath(QStringLiteral("x.DTT"));
                });
                break;
            case Tamper::SizeOverCap:
                resign(c, [](Manifest& m) { m.files.first().size = kMaxBundleBytes + 1; });
                break;
            case Tamper::OlderBundle:
                writeBytes(manifest, first);
                break;
            case Tamper::FollowerFolderIsLink: {
                const QString tables = f.file(QStringLiteral("DayTimeTable"));
                QVERIFY(QDir(tables).rename(tables, elsewhere.filePath(QStringLiteral("tables"))));
                QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("tables")), tables));
                break;
            }
        }
        QSignalSpy installed(f.campus.get(), &Campus::installed);
        QVERIFY(f.campus->syncNow().ok);
        QVERIFY(!f.campus->status().lastOk);
        QVERIFY2(f.campus->status().lastResult.contains(reason), qPrintable(f.campus->status().lastResult));
        QVERIFY2(lastLine(f).contains(reason), qPrintable(lastLine(f)));
        QCOMPARE(installed.count(), 0);
        QCOMPARE(readBytes(f.file(kTable)), table);
        QCOMPARE(f.campus->status().version, version);
        QCOMPARE(installedManifest(f.folder())->version, version);
        QVERIFY(!QFileInfo::exists(elsewhere.filePath(QStringLiteral("x.DTT"))));
    }

    // A stop between the first and the last rename is finished at the next start.
    void interruptedInstallIsFinishedAtStart() {
        CampusOf c(1);
        followAll(c);
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
        followAll(c);
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
        followAll(c);
        Member& f = c.follower(0);
        c.clockState.state = {ClockState::Sync::NotSynchronized, QStringLiteral("chrony 未同步")};
        c.run(185);
        QCOMPARE(f.campus->status().clock.sync, ClockState::Sync::NotSynchronized);
        QCOMPARE(f.log.lines.filter(QStringLiteral("系统时钟未同步")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(SyncTest)
#include "sync_test.moc"
