// The followers a source shows: read from its web server's access log, and named there by their own
// fetches.

#include <QTest>

#include "campus/followers_seen.h"
#include "campus_fixture.h"
#include "http_folder_server.h"

using namespace quel::campus;
using namespace quel::campus::test;

namespace {
const QDateTime kSince(QDate(2026, 12, 7), QTime(8, 0, 0), Qt::UTC);
const QByteArray kGood =
    "10.0.0.5 - - [07/Dec/2026:08:30:00 +0000] \"GET /campus/manifest.signed?have=12 HTTP/1.1\" ";
}  // namespace

class FollowersTest : public QObject {
    Q_OBJECT
private slots:
    // Which lines of a log are a follower's fetch, and what they say of it.
    void log_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QStringList>("seen");  // "address HH:mm:ss version", most recent first
        QTest::addRow("a fetch answered 200") << kGood + "200 812" << QStringList{"10.0.0.5 08:30:00 12"};
        QTest::addRow("an unchanged bundle answered 304")
            << kGood + "304 0" << QStringList{"10.0.0.5 08:30:00 12"};
        QTest::addRow("the combined format's referrer and agent")
            << kGood + "200 812 \"-\" \"Mozilla/5.0 (X11)\"" << QStringList{"10.0.0.5 08:30:00 12"};
        QTest::addRow("a refused fetch is no follower") << kGood + "404 153" << QStringList{};
        QTest::addRow("a payload file is not the follower's check")
            << QByteArray(
                   "10.0.0.5 - - [07/Dec/2026:08:30:00 +0000] \"GET /campus/files/ab12 HTTP/1.1\" 200 9")
            << QStringList{};
        QTest::addRow("a name that only ends like the manifest")
            << QByteArray(
                   "10.0.0.5 - - [07/Dec/2026:08:30:00 +0000] \"GET /xmanifest.signed HTTP/1.1\" 200 9")
            << QStringList{};
        QTest::addRow("a HEAD fetches nothing")
            << QByteArray(kGood).replace("GET", "HEAD") + "200 0" << QStringList{};
        QTest::addRow("a follower of an older program says no version")
            << QByteArray("10.0.0.6 - - [07/Dec/2026:08:40:00 +0000] \"GET /manifest.signed HTTP/1.1\" 200 9")
            << QStringList{"10.0.0.6 08:40:00 0"};
        QTest::addRow("the time's offset counts")
            << QByteArray("10.0.0.7 - - [07/Dec/2026:16:10:00 +0800] \"GET /manifest.signed HTTP/1.1\" 304 0")
            << QStringList{"10.0.0.7 08:10:00 0"};
        QTest::addRow("before the hour")
            << QByteArray("10.0.0.7 - - [07/Dec/2026:15:59:59 +0800] \"GET /manifest.signed HTTP/1.1\" 304 0")
            << QStringList{};
        QTest::addRow("each address once, with its latest fetch, most recent first")
            << kGood + "200 812\n" +
                   "10.0.0.9 - - [07/Dec/2026:08:20:00 +0000] \"GET /manifest.signed?have=11 HTTP/1.1\" 304 "
                   "0\n" +
                   "10.0.0.5 - - [07/Dec/2026:08:10:00 +0000] \"GET /manifest.signed?have=11 HTTP/1.1\" 304 "
                   "0\n" +
                   "10.0.0.5 - - [07/Dec/2026:08:05:00 +0000] \"GET /manifest.signed?have=10 HTTP/1.1\" 200 9"
            << QStringList{"10.0.0.5 08:30:00 12", "10.0.0.9 08:20:00 11"};
        QTest::addRow("an IPv6 caller") << QByteArray(kGood).replace("10.0.0.5", "fd00::5") + "200 812"
                                        << QStringList{"fd00::5 08:30:00 12"};
        QTest::addRow("a month the C locale does not name")
            << QByteArray(kGood).replace("Dec", "Dez") + "200 812" << QStringList{};
        QTest::addRow("a line cut short") << kGood.left(40) << QStringList{};
        QTest::addRow("a version no bundle has")
            << QByteArray(kGood).replace("have=12", "have=-12") + "200 812"
            << QStringList{"10.0.0.5 08:30:00 0"};
        QTest::addRow("bytes that are not text")
            << QByteArray("\xff\xfe\x00\x01 [[[ \"\"\"\n\n", 12) << QStringList{};
    }
    void log() {
        QFETCH(QByteArray, log);
        QFETCH(QStringList, seen);
        QStringList got;
        for (const FollowerSeen& f : followersInLog(log, kSince))
            got << QStringLiteral("%1 %2 %3")
                       .arg(f.address, f.lastFetch.toString(QStringLiteral("HH:mm:ss")))
                       .arg(f.version);
        QCOMPARE(got, seen);
    }

    // The log named in the program folder, read from its end: a line cut by the tail is not read as
    // another one.
    void readsTheTailOfTheNamedLog() {
        QTemporaryDir folder;
        QTemporaryDir logs;
        FollowersSeen none = readFollowersSeen(folder.path(), kSince);
        QVERIFY(none.logPath.isEmpty());

        const QString logPath = logs.filePath(QStringLiteral("access.log"));
        writeBytes(folder.filePath(QStringLiteral("Campus/ServerLog.txt")), logPath.toUtf8() + "\n");
        const FollowersSeen missing = readFollowersSeen(folder.path(), kSince);
        QCOMPARE(missing.logPath, logPath);
        QCOMPARE(missing.error, QStringLiteral("无法读取 %1").arg(logPath));

        // The tail starts one byte into the first line, which without its first byte would still read
        // as a fetch by 0.0.0.1.
        const QByteArray first =
            "10.0.0.1 - - [07/Dec/2026:08:59:00 +0000] \"GET /manifest.signed HTTP/1.1\" 200 9\n";
        const QByteArray recent =
            "10.0.0.2 - - [07/Dec/2026:08:59:30 +0000] \"GET /manifest.signed?have=3 HTTP/1.1\" 304 0\n";
        const QByteArray bytes =
            first + QByteArray(kMaxLogTailBytes - first.size() - recent.size(), 'x') + '\n' + recent;
        QCOMPARE(bytes.size(), kMaxLogTailBytes + 1);
        writeBytes(logPath, bytes);
        const FollowersSeen seen = readFollowersSeen(folder.path(), kSince);
        QVERIFY(seen.error.isEmpty());
        QCOMPARE(seen.followers.size(), 1);
        QCOMPARE(seen.followers.first().address, QStringLiteral("10.0.0.2"));
        QCOMPARE(seen.followers.first().version, 3);
    }

    // A follower over HTTP names the version it rings from on each check; a source's status lists
    // only followers, and only a source.
    void followersNameTheirVersion() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        c.followAll(server.url());
        QVERIFY(server.queries.isEmpty());  // the first fetch has nothing installed to name
        c.run(60);
        const qint64 version = c.follower(0).campus->status().version;
        QCOMPARE(server.queries, QStringList{QStringLiteral("manifest.signed?have=%1").arg(version)});

        const QString logPath = c.bundle() + QStringLiteral(".log");
        writeBytes(c.source().file(QStringLiteral("Campus/ServerLog.txt")), logPath.toUtf8());
        const QDateTime now = c.clock.now().toUTC();
        const auto line = [](const QDateTime& at, const char* address) {
            return QByteArray(address) + " - - [" +
                   QLocale::c().toString(at, QStringLiteral("dd/MMM/yyyy:HH:mm:ss")).toLatin1() +
                   " +0000] \"GET /manifest.signed?have=5 HTTP/1.1\" 304 0\n";
        };
        writeBytes(logPath, line(now.addSecs(-3601), "10.0.0.1") + line(now.addSecs(-3599), "10.0.0.2"));
        const FollowersSeen seen = c.source().campus->recentFollowers();
        QCOMPARE(seen.followers.size(), 1);
        QCOMPARE(seen.followers.first().address, QStringLiteral("10.0.0.2"));
        QVERIFY(c.follower(0).campus->recentFollowers().logPath.isEmpty());
    }

    // What the program's own web server heard and what another server logged: each address once, with
    // its latest fetch of the manifest within the hour.
    void heardAndLoggedAreMerged_data() {
        QTest::addColumn<QStringList>("heard");   // "secondsAgo address method target status"
        QTest::addColumn<QStringList>("logged");  // "secondsAgo address version"
        QTest::addColumn<QStringList>("seen");    // "address secondsAgo version", most recent first
        QTest::addRow("only the program's own server")
            << QStringList{"30 10.0.0.5 GET /campus/manifest.signed?have=7 304"} << QStringList{}
            << QStringList{"10.0.0.5 30 7"};
        QTest::addRow("what is no fetch of the manifest is no follower")
            << QStringList{"30 10.0.0.5 HEAD /campus/manifest.signed 200",
                           "20 10.0.0.6 GET /campus/files/ab 200",
                           "10 10.0.0.7 GET /campus/manifest.signed 404"}
            << QStringList{} << QStringList{};
        QTest::addRow("older than the hour")
            << QStringList{"3601 10.0.0.5 GET /campus/manifest.signed 200"} << QStringList{} << QStringList{};
        QTest::addRow("both servers, each address once with its latest")
            << QStringList{"100 10.0.0.5 GET /campus/manifest.signed?have=7 304",
                           "50 10.0.0.6 GET /campus/manifest.signed?have=8 200"}
            << QStringList{"60 10.0.0.5 8", "200 10.0.0.6 6", "10 10.0.0.9 8"}
            << QStringList{"10.0.0.9 10 8", "10.0.0.6 50 8", "10.0.0.5 60 8"};
    }
    void heardAndLoggedAreMerged() {
        QFETCH(QStringList, heard);
        QFETCH(QStringList, logged);
        QFETCH(QStringList, seen);
        CampusOf c(0);
        QVERIFY(c.source().campus->publish(c.bundle()).ok);
        const QDateTime now = c.clock.now();
        for (const QString& h : heard) {
            const QStringList w = h.split(u' ');
            c.clock.set(now.addSecs(-w[0].toInt()));
            c.source().campus->noteServed(w[1], w[2], w[3], w[4].toInt());
        }
        c.clock.set(now);
        QByteArray log;
        for (const QString& l : logged) {
            const QStringList w = l.split(u' ');
            log += w[1].toLatin1() + " - - [" +
                   QLocale::c()
                       .toString(now.toUTC().addSecs(-w[0].toInt()), QStringLiteral("dd/MMM/yyyy:HH:mm:ss"))
                       .toLatin1() +
                   " +0000] \"GET /manifest.signed?have=" + w[2].toLatin1() + " HTTP/1.1\" 304 0\n";
        }
        const QString logPath = c.bundle() + QStringLiteral(".log");
        writeBytes(logPath, log);
        writeBytes(c.source().file(QStringLiteral("Campus/ServerLog.txt")), logPath.toUtf8());
        QStringList got;
        for (const FollowerSeen& f : c.source().campus->recentFollowers().followers)
            got << QStringLiteral("%1 %2 %3").arg(f.address).arg(f.lastFetch.secsTo(now)).arg(f.version);
        QCOMPARE(got, seen);
    }
};

QTEST_GUILESS_MAIN(FollowersTest)
#include "followers_test.moc"
