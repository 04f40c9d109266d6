// The manifest reader and the keys: what a follower accepts before it fetches a single file.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "campus/manifest.h"
#include "campus/signing.h"

using namespace quel::campus;

namespace {

const QByteArray kHash(64, 'a');

QByteArray manifestWith(const QByteArray& filesJson, const QByteArray& version = "1765000000000") {
    return "{\"format\":\"quelbrook-campus-1\",\"version\":" + version +
           ",\"published\":\"2026-12-07T08:00:00.000Z\",\"sourceFolder\":\"/home/a/quelbrook\",\"files\":[" +
           filesJson + "]}";
}

QByteArray fileJson(const QByteArray& path, const QByteArray& size = "10", const QByteArray& hash = kHash) {
    return "{\"path\":\"" + path + "\",\"size\":" + size + ",\"sha256\":\"" + hash + "\"}";
}

}  // namespace

class ManifestTest : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("a table, a play list, a setting and a sound")
            << manifestWith(fileJson("DayTimeTable/Default.DTT") + "," + fileJson("PlayListFile/a.PLF") +
                            "," + fileJson("Toll.txt") + "," + fileJson("music/bell one.mp3"))
            << true;
        QTest::addRow("no files at all") << manifestWith("") << true;
        QTest::addRow("not JSON") << QByteArray("format quelbrook-campus-1") << false;
        QTest::addRow("an array, not an object") << QByteArray("[1,2]") << false;
        QTest::addRow("another format")
            << manifestWith("").replace("quelbrook-campus-1", "quelbrook-campus-9") << false;
        QTest::addRow("version zero") << manifestWith("", "0") << false;
        QTest::addRow("version not whole") << manifestWith("", "1.5") << false;
        QTest::addRow("version as text") << manifestWith("", "\"7\"") << false;
        QTest::addRow("version beyond exact numbers") << manifestWith("", "1e300") << false;
        QTest::addRow("no publication time")
            << manifestWith("").replace("2026-12-07T08:00:00.000Z", "soon") << false;
        QTest::addRow("relative source folder")
            << manifestWith("").replace("/home/a/quelbrook", "home/a") << false;
        QTest::addRow("files not a list") << manifestWith("").replace("[]", "{}") << false;
        QTest::addRow("a file entry not an object") << manifestWith("3") << false;
        QTest::addRow("parent folder") << manifestWith(fileJson("DayTimeTable/../../etc/passwd")) << false;
        QTest::addRow("leading parent") << manifestWith(fileJson("../outside.DTT")) << false;
        QTest::addRow("absolute path") << manifestWith(fileJson("/etc/cron.d/x")) << false;
        QTest::addRow("dot part") << manifestWith(fileJson("DayTimeTable/./a.DTT")) << false;
        QTest::addRow("empty part") << manifestWith(fileJson("DayTimeTable//a.DTT")) << false;
        QTest::addRow("hidden file") << manifestWith(fileJson("DayTimeTable/.quelbrook.lock")) << false;
        QTest::addRow("backslash") << manifestWith(fileJson("DayTimeTable\\\\..\\\\x")) << false;
        QTest::addRow("control character") << manifestWith(fileJson("DayTimeTable/a\\nb.DTT")) << false;
        QTest::addRow("empty path") << manifestWith(fileJson("")) << false;
        QTest::addRow("the campus keys") << manifestWith(fileJson("Campus/role.txt")) << false;
        QTest::addRow("the history") << manifestWith(fileJson("History/2026-12.log")) << false;
        QTest::addRow("a machine's own setting") << manifestWith(fileJson("AutoRunYesNo.txt")) << false;
        QTest::addRow("the executable beside the data") << manifestWith(fileJson("quelbrook")) << false;
        QTest::addRow("negative size") << manifestWith(fileJson("Toll.txt", "-1")) << false;
        QTest::addRow("size over the cap") << manifestWith(fileJson("Toll.txt", "2000000000")) << false;
        QTest::addRow("sizes together over the cap")
            << manifestWith(fileJson("toll/a.wav", "600000000") + "," + fileJson("toll/b.wav", "600000000"))
            << false;
        QTest::addRow("short hash") << manifestWith(fileJson("Toll.txt", "1", "abc")) << false;
        QTest::addRow("upper-case hash")
            << manifestWith(fileJson("Toll.txt", "1", QByteArray(64, 'A'))) << false;
        QTest::addRow("same path twice")
            << manifestWith(fileJson("Toll.txt") + "," + fileJson("Toll.txt")) << false;
        QTest::addRow("a path that is also a folder")
            << manifestWith(fileJson("music/a") + "," + fileJson("music/a/b.mp3")) << false;
    }
    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        const ManifestResult r = parseManifest(bytes);
        if (const ManifestError* e = std::get_if<ManifestError>(&r))
            QVERIFY2(!accepted, qPrintable(e->message));
        else
            QVERIFY(accepted);
    }

    void writesWhatItReads() {
        Manifest m;
        m.version = 1765000000123;
        m.published = QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0, 123), Qt::UTC);
        m.sourceFolder = QStringLiteral("/home/教师/quelbrook");
        m.files = {{QStringLiteral("DayTimeTable/课表.DTT"), 12, QByteArray(64, 'b')},
                   {QStringLiteral("toll/A/A1.WAV"), 0, QByteArray(64, 'c')}};
        const ManifestResult r = parseManifest(manifestBytes(m));
        QVERIFY(std::holds_alternative<Manifest>(r));
        QCOMPARE(std::get<Manifest>(r), m);
    }

    void keyText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        const QString good = publicKeyText(makeKeyPair().publicKey);
        QTest::addRow("as shown") << good << true;
        QTest::addRow("with blanks and a line end around it")
            << QStringLiteral("  ") + good + QStringLiteral("\n") << true;
        QTest::addRow("one character short") << good.left(43) << false;
        QTest::addRow("a character changed into a non-base64 one")
            << QStringLiteral("*") + good.mid(1) << false;
        QTest::addRow("a secret key's length")
            << QString::fromLatin1(QByteArray(64, 'x').toBase64()) << false;
        QTest::addRow("empty") << QString() << false;
    }
    void keyText() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(publicKeyFromText(text).has_value(), accepted);
    }

    // The secret key is made once, kept from other users, and read back the same: followers trust it.
    void keysAreMadeOnceAndKeptPrivate() {
        QTemporaryDir dir;
        const StoredKeys first = loadOrMakeKeys(dir.path());
        QVERIFY2(first.keys, qPrintable(first.error));
        const QString secret = dir.filePath(QStringLiteral("Campus/secret.key"));
        QCOMPARE(QFile::permissions(secret) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        const StoredKeys second = loadOrMakeKeys(dir.path());
        QVERIFY(second.keys);
        QCOMPARE(second.keys->publicKey, first.keys->publicKey);
        QCOMPARE(second.keys->secretKey, first.keys->secretKey);
    }

    // A damaged secret key is reported and left alone: a new key would cut off every follower silently.
    void damagedKeyIsNotReplaced() {
        QTemporaryDir dir;
        QVERIFY(loadOrMakeKeys(dir.path()).keys);
        const QString secret = dir.filePath(QStringLiteral("Campus/secret.key"));
        QFile f(secret);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("short");
        f.close();
        const StoredKeys r = loadOrMakeKeys(dir.path());
        QVERIFY(!r.keys);
        QVERIFY(r.error.contains(secret));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("short"));
    }
};

QTEST_GUILESS_MAIN(ManifestTest)
#include "manifest_test.moc"
