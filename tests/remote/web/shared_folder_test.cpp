// A folder the page's server offers read-only under a prefix: nothing outside it ever goes out, and a
// caller asking every minute is told "not modified" while nothing changed.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakes/fake_platform.h"
#include "remote/web/remote_page.h"
#include "web_fakes.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QString kPrefix = QStringLiteral("/shared/");
const QByteArray kSecret = "the program folder's password digest";
const QByteArray kManifest = "signed manifest bytes";

QByteArray request(const QByteArray& method, const QByteArray& path, const QByteArray& extra = {}) {
    return method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "Connection: close\r\n\r\n";
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace

class SharedFolderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root_;  // holds a secret beside the shared folder, and the folder itself
    FakeClock clock_;
    FakeRemoteActions actions_;
    FakeRemoteLog log_;
    std::unique_ptr<RemotePage> page_;
    QStringList heard_;

    QString shared() const { return root_.filePath(QStringLiteral("bundle")); }
    RawReply exchange(const QByteArray& bytes, bool headOnly = false) {
        const quint16 port = page_->port();
        return offThread([port, bytes, headOnly] { return rawExchange(port, bytes, "127.0.0.1", headOnly); });
    }

private slots:
    void initTestCase() {
        write(root_.filePath(QStringLiteral("secret")), kSecret);
        write(shared() + QStringLiteral("/manifest.signed"), kManifest);
        write(shared() + QStringLiteral("/files/0a1b"), "payload");
        write(shared() + QStringLiteral("/.manifest.signed.tmp"), "half written");
        write(shared() + QStringLiteral("/名单 1.txt"), "named in Chinese");
        QVERIFY(QFile::link(root_.filePath(QStringLiteral("secret")), shared() + QStringLiteral("/out")));
        QVERIFY(QFile::link(shared() + QStringLiteral("/manifest.signed"), shared() + QStringLiteral("/in")));
        QVERIFY(QFile::link(root_.path(), shared() + QStringLiteral("/up")));
    }
    void init() {
        heard_.clear();
        PageSettings s;
        s.address = QStringLiteral("127.0.0.1");
        s.port = 0;  // any free port: tests run side by side
        s.digest = passwordDigest(QStringLiteral("x"), 1000);
        page_ = std::make_unique<RemotePage>(clock_, actions_, log_, s);
        connect(page_.get(), &RemotePage::sharedRequested, this,
                [this](const QString& from, const QString& method, const QString& target, int status) {
                    heard_ << QStringLiteral("%1 %2 %3 %4").arg(from, method, target).arg(status);
                });
        QVERIFY(page_->start());
    }
    void cleanup() { page_.reset(); }

    // Whether the folder is offered (shared, page running) and what each path, hostile ones included,
    // gets: a file of the folder or nothing. Not one byte of the secret beside it ever goes out.
    void paths_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("sharing");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");  // 0: nobody listens
        QTest::addColumn<QByteArray>("body");
        const QByteArray get = "GET";
        const auto row = [&](const char* name, const QByteArray& path, int status,
                             const QByteArray& body = {}) {
            QTest::addRow("%s", name) << true << true << get << path << status << body;
        };
        row("the manifest", "/shared/manifest.signed", 200, kManifest);
        row("with a query", "/shared/manifest.signed?have=17", 200, kManifest);
        row("a file in a subfolder", "/shared/files/0a1b", 200, "payload");
        row("a name encoded as sent", "/shared/%E5%90%8D%E5%8D%95%201.txt", 200, "named in Chinese");
        row("a link that stays inside", "/shared/in", 200, kManifest);
        row("the folder itself: no listing", "/shared/", 404);
        row("a subfolder: no listing", "/shared/files", 404);
        row("a subfolder with its slash", "/shared/files/", 404);
        row("up a folder", "/shared/../secret", 404);
        row("up a folder, encoded", "/shared/%2e%2e/secret", 404);
        row("up a folder, upper-case encoding", "/shared/%2E%2E/secret", 404);
        row("an encoded slash", "/shared/files%2f..%2f..%2fsecret", 404);
        row("an absolute path after the prefix", "/shared//etc/passwd", 404);
        row("an encoded absolute path", "/shared/%2fetc%2fpasswd", 404);
        row("a backslash", "/shared/..%5csecret", 404);
        row("a raw backslash", "/shared/..\\secret", 404);
        row("NUL", "/shared/manifest.signed%00.txt", 404);
        row("a link leading out", "/shared/out", 404);
        row("a link to the folder above", "/shared/up/secret", 404);
        row("a file being written", "/shared/.manifest.signed.tmp", 404);
        row("the prefix without its slash", "/shared", 404);
        row("another case of the prefix", "/SHARED/manifest.signed", 404);
        row("missing", "/shared/nothing", 404);
        QTest::addRow("a change") << true << true << QByteArray("POST")
                                  << QByteArray("/shared/manifest.signed") << 405 << QByteArray();
        QTest::addRow("not shared: as any unknown page")
            << true << false << get << QByteArray("/shared/manifest.signed") << 404 << QByteArray();
        QTest::addRow("the page off")
            << false << true << get << QByteArray("/shared/manifest.signed") << 0 << QByteArray();
        QTest::addRow("the page's own files still served")
            << true << true << get << QByteArray("/app.js") << 200 << QByteArray();
    }
    void paths() {
        QFETCH(bool, running);
        QFETCH(bool, sharing);
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        if (sharing)
            page_->setSharedFolder(kPrefix, shared());
        const quint16 port = page_->port();
        if (!running)
            page_->stop();
        const QByteArray bytes = request(method, path);
        const RawReply r = offThread([port, bytes] { return rawExchange(port, bytes); });
        QCOMPARE(r.status, status);
        QVERIFY(!r.body.contains(kSecret));
        if (!body.isEmpty())
            QCOMPARE(r.body, body);
        if (status == 200 && path.startsWith(kPrefix.toLatin1()))
            QCOMPARE(r.header("content-type"), QByteArray("application/octet-stream"));
    }

    // A caller that fetches every minute gets the file once and "not modified" after, by its ETag or,
    // without one, by its time; a changed file goes out again.
    void conditional_data() {
        QTest::addColumn<QByteArray>("condition");  // {etag} and {modified} stand for the first answer's
        QTest::addColumn<bool>("changed");          // the file was replaced after the first answer
        QTest::addColumn<int>("status");
        QTest::addRow("no condition") << QByteArray() << false << 200;
        QTest::addRow("the same ETag") << QByteArray("If-None-Match: {etag}") << false << 304;
        QTest::addRow("the same ETag, weak") << QByteArray("If-None-Match: W/{etag}") << false << 304;
        QTest::addRow("one ETag of several") << QByteArray("If-None-Match: \"x\", {etag}") << false << 304;
        QTest::addRow("any") << QByteArray("If-None-Match: *") << false << 304;
        QTest::addRow("another ETag") << QByteArray("If-None-Match: \"other\"") << false << 200;
        QTest::addRow("the same ETag, but the file replaced")
            << QByteArray("If-None-Match: {etag}") << true << 200;
        QTest::addRow("the same time") << QByteArray("If-Modified-Since: {modified}") << false << 304;
        QTest::addRow("a later time")
            << QByteArray("If-Modified-Since: Fri, 01 Jan 2100 00:00:00 GMT") << false << 304;
        QTest::addRow("an earlier time")
            << QByteArray("If-Modified-Since: Thu, 01 Jan 2015 00:00:00 GMT") << false << 200;
        QTest::addRow("a time that is none") << QByteArray("If-Modified-Since: yesterday") << false << 200;
        QTest::addRow("the ETag decides over the time")
            << QByteArray("If-None-Match: \"other\"\r\nIf-Modified-Since: Fri, 01 Jan 2100 00:00:00 GMT")
            << false << 200;
    }
    void conditional() {
        QFETCH(QByteArray, condition);
        QFETCH(bool, changed);
        QFETCH(int, status);
        QTemporaryDir folder;
        const QString manifest = folder.filePath(QStringLiteral("manifest.signed"));
        write(manifest, kManifest);
        // A time a whole second back, so "modified since" is not decided by the second the test runs in.
        QFile f(manifest);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(
            f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-100), QFileDevice::FileModificationTime));
        f.close();
        page_->setSharedFolder(kPrefix, folder.path());
        const RawReply first = exchange(request("GET", "/shared/manifest.signed"));
        QCOMPARE(first.status, 200);
        QVERIFY(!first.header("etag").isEmpty());
        QCOMPARE(first.header("date"), QByteArray("Wed, 02 Dec 2026 00:00:00 GMT"));
        if (changed) {
            // Written beside and renamed over, as a bundle is published: the same size, a new file.
            write(manifest + QStringLiteral(".new"), QByteArray(kManifest).replace('s', 'S'));
            QVERIFY(QFile::remove(manifest));
            QVERIFY(QFile::rename(manifest + QStringLiteral(".new"), manifest));
        }
        QByteArray extra = condition;
        extra.replace("{etag}", first.header("etag")).replace("{modified}", first.header("last-modified"));
        const RawReply again =
            exchange(request("GET", "/shared/manifest.signed", extra.isEmpty() ? extra : extra + "\r\n"));
        QCOMPARE(again.status, status);
        QCOMPARE(again.body.isEmpty(), status == 304);
        QCOMPARE(heard_.last(), QStringLiteral("127.0.0.1 GET /shared/manifest.signed %1").arg(status));
    }

    // HEAD describes the file as GET would, without it.
    void headDescribesWithoutTheBody() {
        page_->setSharedFolder(kPrefix, shared());
        const RawReply r = exchange(request("HEAD", "/shared/manifest.signed"), true);
        QCOMPARE(r.status, 200);
        QCOMPARE(r.header("content-length").toLongLong(), kManifest.size());
        QVERIFY(!r.header("etag").isEmpty());
        QCOMPARE(heard_, QStringList{"127.0.0.1 HEAD /shared/manifest.signed 200"});
    }

    // A sound of megabytes goes out whole, a chunk at a time, while the event loop keeps turning; the
    // longest pause of a 1 ms timer meanwhile is printed for the record.
    void longFileGoesOutWholeInChunks() {
        QTemporaryDir folder;
        QByteArray sound(10 * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < sound.size(); ++i)
            sound[i] = char((i * 7919) >> 8);
        write(folder.filePath(QStringLiteral("bell.wav")), sound);
        page_->setSharedFolder(kPrefix, folder.path());
        QElapsedTimer gap;
        qint64 longest = 0;
        QTimer beat;
        beat.setInterval(1);
        connect(&beat, &QTimer::timeout, this, [&] { longest = std::max(longest, gap.restart()); });
        gap.start();
        beat.start();
        const RawReply r = exchange(request("GET", "/shared/bell.wav"));
        beat.stop();
        QCOMPARE(r.status, 200);
        QCOMPARE(r.body.size(), sound.size());
        QVERIFY(r.body == sound);
        qInfo("longest pause of the event loop while 10 MB went out: %lld ms", longest);
    }
};

QTEST_GUILESS_MAIN(SharedFolderTest)
#include "shared_folder_test.moc"
