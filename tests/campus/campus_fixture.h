#pragma once

// What the campus tests share: a program folder with a table, the history and clock-state stand-ins,
// and a campus of one source and several followers, each with its own program folder.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "campus/bundle.h"
#include "campus/campus.h"
#include "campus/signing.h"
#include "fakes/fake_platform.h"
#include "schedule/table_file.h"

namespace quel::campus::test {

class RecordingLog final : public CampusLog {
public:
    void write(const QString& what, const QString& result, bool failed) override {
        lines << what + u'\t' + result + (failed ? QStringLiteral("\t失败") : QString());
    }
    QStringList lines;
};

class FixedClockState final : public ClockStateReader {
public:
    ClockState read() override {
        ++reads;
        return state;
    }
    ClockState state{ClockState::Sync::Synchronized, QStringLiteral("test")};
    int reads = 0;
};

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A table of one tone entry at `time`, ringing `sound` (a full path).
inline QByteArray tableBytes(const QString& time, const QString& sound) {
    return *tableFileBytes(QStringLiteral("|%1*课>每天<%2").arg(time, sound));
}

struct Member {
    QTemporaryDir dir;
    RecordingLog log;
    std::unique_ptr<Campus> campus;
    QString folder() const { return dir.path(); }
    QString file(const QString& relative) const { return dir.filePath(relative); }
};

// One source publishing into a shared bundle folder and `followers` followers of it, all on one clock.
struct CampusOf {
    explicit CampusOf(int followers, Campus::SourceFactory sources = sourceFor) : members() {
        for (int i = 0; i <= followers; ++i) {
            members.push_back(std::make_unique<Member>());
            Member& m = *members.back();
            m.campus = std::make_unique<Campus>(clock, m.folder(), m.log, clockState, sources);
        }
        source().campus->start();
        writeBytes(source().file(QStringLiteral("DayTimeTable/Default.DTT")),
                   tableBytes(QStringLiteral("8:00:00"), source().file(QStringLiteral("sounds/bell.wav"))));
        writeBytes(source().file(QStringLiteral("sounds/bell.wav")), QByteArray("RIFF first bell"));
        writeBytes(source().file(QStringLiteral("DefaultDTT.txt")),
                   "\"" + source().file(QStringLiteral("DayTimeTable/Default.DTT")).toUtf8() + "\"\r\n");
    }
    Member& source() { return *members.front(); }
    Member& follower(int i) { return *members[size_t(i) + 1]; }
    int followers() const { return int(members.size()) - 1; }
    QString bundle() const { return bundleDir.path(); }

    // Time passing second by second, each member's tick called as the program's would be and each
    // answer of a web server taken before the next second.
    void run(qint64 seconds) {
        for (qint64 s = 0; s < seconds; ++s) {
            clock.advance(1000);
            for (auto& m : members) {
                m->campus->onTick();
                QTRY_VERIFY_WITH_TIMEOUT(!m->campus->busy(), kAnswerMs);
            }
        }
    }

    // The source publishes into the bundle folder, and every follower follows `address` (the bundle
    // folder itself when empty) and rings from the first version.
    void followAll(const QString& address = QString()) {
        const CampusResult published = source().campus->publish(bundle());
        QVERIFY2(published.ok, qPrintable(published.message));
        const QString key = published.message.split(u'\n').last();
        for (int i = 0; i < followers(); ++i) {
            Campus& f = *follower(i).campus;
            f.start();
            const CampusResult r = f.follow(address.isEmpty() ? bundle() : address, key);
            QVERIFY2(r.ok, qPrintable(r.message));
            QTRY_VERIFY_WITH_TIMEOUT(!f.busy(), kAnswerMs);
            QVERIFY2(f.status().lastOk, qPrintable(f.status().lastResult));
        }
    }

    static constexpr int kAnswerMs = 10000;

    fakes::FakeClock clock;
    FixedClockState clockState;
    QTemporaryDir bundleDir;
    std::vector<std::unique_ptr<Member>> members;
};

inline const QString kTable = QStringLiteral("DayTimeTable/Default.DTT");
inline const QString kSound = QStringLiteral("sounds/bell.wav");

inline QString lastLine(const Member& m) {
    return m.log.lines.isEmpty() ? QString() : m.log.lines.last();
}

// The bundle's payload of one path, as the manifest names it.
inline QString payloadOf(const QString& bundle, const QString& relative) {
    const ManifestResult r =
        parseManifest(readBytes(bundle + QStringLiteral("/manifest.signed")).mid(kSignatureBytes));
    if (const Manifest* m = std::get_if<Manifest>(&r)) {
        for (const ManifestFile& file : m->files) {
            if (file.path == relative)
                return bundle + QStringLiteral("/files/") + QString::fromLatin1(file.sha256);
        }
    }
    return {};
}

// Rewrites the bundle's manifest through `edit` and signs it again with the source's own key, as a
// source whose key was stolen, or a bug of its own, would.
inline void resign(CampusOf& c, const std::function<void(Manifest&)>& edit) {
    const QString path = c.bundle() + QStringLiteral("/manifest.signed");
    Manifest m = std::get<Manifest>(parseManifest(readBytes(path).mid(kSignatureBytes)));
    edit(m);
    writeBytes(path, signManifest(manifestBytes(m), loadOrMakeKeys(c.source().folder()).keys->secretKey));
}

// What can be wrong with a bundle, or with the follower's own folder, that a follower must refuse.
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

// The rows of the refusal table: each fault and the word its refusal names. A link in a web server's
// folder is the server's business (it sends the bytes), so only a folder source refuses it.
inline void addRefusalRows(bool folderSource) {
    QTest::addColumn<Tamper>("tamper");
    QTest::addColumn<QString>("reason");
    QTest::addRow("signed by another key") << Tamper::OtherKey << QStringLiteral("签名不对");
    QTest::addRow("signature flipped") << Tamper::SignatureFlipped << QStringLiteral("签名不对");
    QTest::addRow("manifest edited after signing") << Tamper::ManifestEdited << QStringLiteral("签名不对");
    QTest::addRow("a file changed") << Tamper::PayloadChanged << QStringLiteral("文件被改动");
    QTest::addRow("a file cut short") << Tamper::PayloadTruncated << QStringLiteral("文件不完整");
    if (folderSource)
        QTest::addRow("a file replaced by a link") << Tamper::PayloadLink << QStringLiteral("不是普通文件");
    QTest::addRow("a file longer than named") << Tamper::PayloadLongerThanNamed << QStringLiteral("上限");
    QTest::addRow("a path up out of the folder") << Tamper::PathUp << QStringLiteral("不安全的路径");
    QTest::addRow("an absolute path") << Tamper::PathAbsolute << QStringLiteral("不安全的路径");
    QTest::addRow("a size over the cap") << Tamper::SizeOverCap << QStringLiteral("上限");
    QTest::addRow("an older bundle than the one in use") << Tamper::OlderBundle << QStringLiteral("旧");
    QTest::addRow("the follower's table folder a link out")
        << Tamper::FollowerFolderIsLink << QStringLiteral("链接");
}

// One row of the refusal table on a campus whose first follower rings from the first version: the
// source publishes a second one, the fault is made, the follower syncs. The refusal is written to the
// history and the follower keeps ringing its old copy.
inline void checkRefusal(CampusOf& c, Tamper tamper, const QString& reason) {
    Member& f = c.follower(0);
    QTemporaryDir elsewhere;
    const QByteArray first = readBytes(c.bundle() + QStringLiteral("/manifest.signed"));
    c.clock.advance(1000);
    writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("9:30:00"), c.source().file(kSound)));
    QVERIFY(c.source().campus->syncNow().ok);
    if (tamper == Tamper::OlderBundle) {
        QVERIFY(f.campus->syncNow().ok);
        QTRY_VERIFY_WITH_TIMEOUT(!f.campus->busy(), CampusOf::kAnswerMs);
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
            writeBytes(manifest,
                       readBytes(manifest).replace("DayTimeTable/Default.DTT", "DayTimeTable/Default.DTx"));
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
            resign(c, [](Manifest& m) { m.files.first().path = QStringLiteral("DayTimeTable/../../x.DTT"); });
            break;
        case Tamper::PathAbsolute:
            resign(c,
                   [&](Manifest& m) { m.files.first().path = elsewhere.filePath(QStringLiteral("x.DTT")); });
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
    QTRY_VERIFY_WITH_TIMEOUT(!f.campus->busy(), CampusOf::kAnswerMs);
    QVERIFY(!f.campus->status().lastOk);
    QVERIFY2(f.campus->status().lastResult.contains(reason), qPrintable(f.campus->status().lastResult));
    QVERIFY2(lastLine(f).contains(reason) && lastLine(f).endsWith(QStringLiteral("\t失败")),
             qPrintable(lastLine(f)));
    QCOMPARE(installed.count(), 0);
    QCOMPARE(readBytes(f.file(kTable)), table);
    QCOMPARE(f.campus->status().version, version);
    QCOMPARE(installedManifest(f.folder())->version, version);
    QVERIFY(!QFileInfo::exists(elsewhere.filePath(QStringLiteral("x.DTT"))));
}

}  // namespace quel::campus::test
