#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakes/fake_platform.h"
#include "platform/settings_store.h"
#include "remote/web/remote_page.h"
#include "web_fakes.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QString kPassword = QStringLiteral("铃声2026");
// Few rounds keep the tests quick; the digest carries its own round count.
constexpr int kTestRounds = 1000;

QByteArray post(const QByteArray& path, const QByteArray& body, const QByteArray& extra = {}) {
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n" + extra +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray get(const QByteArray& path, const QByteArray& extra = {}) {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "Connection: close\r\n\r\n";
}

struct Login {
    QByteArray cookie;  // "quel_session=..."
    QByteArray token;
};

}  // namespace

class RemotePageTest : public QObject {
    Q_OBJECT

private:
    FakeClock clock_;
    FakeRemoteActions actions_;
    FakeRemoteLog log_;
    std::unique_ptr<RemotePage> page_;

    RawReply exchange(const QByteArray& bytes, const char* source = "127.0.0.1") {
        const quint16 port = page_->port();
        return offThread([port, bytes, source] { return rawExchange(port, bytes, source); });
    }
    Login login(const QString& password = kPassword, const char* source = "127.0.0.1") {
        const QByteArray body =
            QJsonDocument(QJsonObject{{"password", password}}).toJson(QJsonDocument::Compact);
        const RawReply r = exchange(post("/api/login", body), source);
        if (r.status != 200)
            return {};
        const QByteArray cookie = r.header("set-cookie").split(';').first();
        return {cookie, QJsonDocument::fromJson(r.body).object().value("token").toString().toLatin1()};
    }
    QByteArray withSession(const Login& l) {
        return "Cookie: " + l.cookie + "\r\nX-Quel-Token: " + l.token + "\r\n";
    }

private slots:
    void init() {
        actions_.calls.clear();
        log_.lines.clear();
        PageSettings s;
        s.address = QStringLiteral("127.0.0.1");
        s.port = 0;
        s.digest = passwordDigest(kPassword, kTestRounds);
        page_ = std::make_unique<RemotePage>(clock_, actions_, log_, s);
        QString error;
        QVERIFY2(page_->start(&error), qPrintable(error));
        // Each test starts with a fresh minute for the password limits.
        clock_.advance(LoginLimiter::kWindowMs);
    }
    void cleanup() { page_.reset(); }

    void startRefusals_data() {
        QTest::addColumn<QString>("digest");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("takePort");
        QTest::addColumn<QString>("message");
        QTest::addRow("without a password nothing listens")
            << QString() << "127.0.0.1" << false << "没有设置密码，远程控制页面不能开启";
        QTest::addRow("an address that is none")
            << "x"
            << "127.0.0.300" << false << "地址 127.0.0.300 不是有效的 IP 地址";
        QTest::addRow("a port already taken") << "x"
                                              << "127.0.0.1" << true << "不能在 127.0.0.1 端口";
    }
    void startRefusals() {
        QFETCH(QString, digest);
        QFETCH(QString, address);
        QFETCH(bool, takePort);
        QFETCH(QString, message);
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        PageSettings s{true, address, takePort ? taken.serverPort() : quint16(0), digest};
        RemotePage page(clock_, actions_, log_, s);
        QString error;
        QVERIFY(!page.start(&error));
        QVERIFY2(error.startsWith(message), qPrintable(error));
        QVERIFY(!page.running());
    }

    // The page, its script and its style are served; nothing else is, however the path is written.
    void servedPaths_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("type");
        QTest::addRow("the page") << QByteArray("/") << 200 << QByteArray("text/html; charset=utf-8");
        QTest::addRow("its script") << QByteArray("/app.js") << 200
                                    << QByteArray("text/javascript; charset=utf-8");
        QTest::addRow("its style") << QByteArray("/style.css") << 200
                                   << QByteArray("text/css; charset=utf-8");
        QTest::addRow("up a folder") << QByteArray("/../RemotePassword.txt") << 404 << QByteArray();
        QTest::addRow("up a folder, encoded")
            << QByteArray("/%2e%2e/%2e%2e/etc/passwd") << 404 << QByteArray();
        QTest::addRow("a file of the program folder")
            << QByteArray("/RemotePassword.txt") << 404 << QByteArray();
        QTest::addRow("the resource path") << QByteArray("/:/quel-web/index.html") << 404 << QByteArray();
        QTest::addRow("a doubled slash") << QByteArray("//etc/passwd") << 404 << QByteArray();
        QTest::addRow("the page's name") << QByteArray("/index.html") << 404 << QByteArray();
    }
    void servedPaths() {
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(QByteArray, type);
        const RawReply r = exchange(get(path));
        QCOMPARE(r.status, status);
        if (status == 200) {
            QCOMPARE(r.header("content-type"), type);
            QVERIFY(!r.body.isEmpty());
            QCOMPARE(r.header("x-frame-options"), QByteArray("DENY"));
        }
    }

    // Requests an attacker would send: each is refused, nothing reaches the program, and the page
    // still answers afterwards. {session} stands for a valid cookie and token.
    void hostile_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QList<int>>("statuses");  // any of these; 0: closed without a reply
        const QByteArray ok = "{}";
        QTest::addRow("a change without a session") << post("/api/ring", ok) << QList<int>{401};
        QTest::addRow("a change with a forged session")
            << post("/api/ring", ok, "Cookie: quel_session=00112233\r\nX-Quel-Token: 00\r\n")
            << QList<int>{401};
        QTest::addRow("a change without its token")
            << post("/api/ring", ok, "Cookie: {cookie}\r\n") << QList<int>{403};
        QTest::addRow("a change with a forged token")
            << post("/api/ring", ok, "Cookie: {cookie}\r\nX-Quel-Token: " + QByteArray(64, 'a') + "\r\n")
            << QList<int>{403};
        QTest::addRow("a change through a plain link") << get("/api/ring", "{session}") << QList<int>{405};
        QTest::addRow("a form of another site")
            << post("/api/ring", ok, "{session}Origin: http://evil.example\r\n") << QList<int>{403};
        QTest::addRow("a login from another site")
            << post("/api/login", "{\"password\":\"x\"}", "Origin: http://evil.example\r\n")
            << QList<int>{403};
        QTest::addRow("a login without a password") << post("/api/login", "{}") << QList<int>{400};
        QTest::addRow("a login with a password that is no text")
            << post("/api/login", "{\"password\":123}") << QList<int>{400};
        QTest::addRow("the status without a session") << get("/api/status") << QList<int>{401};
        QTest::addRow("a body that is no JSON") << post("/api/ring", "{{{", "{session}") << QList<int>{400};
        QTest::addRow("a play list given as a path")
            << post("/api/broadcast", "{\"list\":\"../Shut.txt\"}", "{session}") << QList<int>{400};
        QTest::addRow("an empty play list name")
            << post("/api/broadcast", "{\"list\":\"\"}", "{session}") << QList<int>{400};
        QTest::addRow("the emergency without its confirmation")
            << post("/api/emergency", "{\"on\":true}", "{session}") << QList<int>{400};
        QTest::addRow("an action that does not exist")
            << post("/api/shutdown", ok, "{session}") << QList<int>{404};
        QTest::addRow("a 10 MB body")
            << post("/api/login", QByteArray(10 * 1024 * 1024, 'x')) << QList<int>{413, 0};
        QTest::addRow("10 MB of headers")
            << get("/", "X-Pad: " + QByteArray(10 * 1024 * 1024, 'x') + "\r\n") << QList<int>{413, 0};
        QTest::addRow("a request that is no HTTP") << QByteArray("HELLO\r\n\r\n") << QList<int>{0, 400};
    }
    void hostile() {
        QFETCH(QByteArray, request);
        QFETCH(QList<int>, statuses);
        const Login l = login();
        QVERIFY(!l.token.isEmpty());
        log_.lines.clear();
        request.replace("{session}", withSession(l)).replace("{cookie}", l.cookie);
        const RawReply r = exchange(request);
        QVERIFY2(statuses.contains(r.status), qPrintable(QString::number(r.status)));
        QCOMPARE(actions_.calls, QStringList());
        QCOMPARE(log_.lines, QStringList());
        // No socket is left open to hold a place under the connection caps.
        QTRY_COMPARE(page_->connectionCount(), 0);
        QCOMPARE(exchange(get("/")).status, 200);
    }

    // Each button of the page reaches its action, and the history hears of it with the caller.
    void changes_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("logged");
        QTest::addRow("ring now") << QByteArray("/api/ring") << QByteArray("{}") << "ringNow()"
                                  << "立即打铃";
        QTest::addRow("skip the next bell") << QByteArray("/api/skip") << QByteArray("") << "skipNext()"
                                            << "跳过下一次打铃";
        QTest::addRow("stop the broadcast") << QByteArray("/api/stop") << QByteArray("{}") << "stop()"
                                            << "停止播音";
        QTest::addRow("a list in order")
            << QByteArray("/api/broadcast") << QByteArray("{\"list\":\"早操.PLF\"}")
            << "broadcast(早操.PLF,order)"
            << "播放列表 早操.PLF";
        QTest::addRow("a list at random")
            << QByteArray("/api/broadcast") << QByteArray("{\"list\":\"A.PLF\",\"random\":true}")
            << "broadcast(A.PLF,random)"
            << "播放列表 A.PLF";
        QTest::addRow("the time, female")
            << QByteArray("/api/say") << QByteArray("{\"female\":true}") << "say(F)"
            << "报时";
        QTest::addRow("the emergency, confirmed")
            << QByteArray("/api/emergency") << QByteArray("{\"on\":true,\"confirmed\":true}")
            << "emergency(on)"
            << "紧急广播";
        QTest::addRow("the emergency's end")
            << QByteArray("/api/emergency") << QByteArray("{\"on\":false}") << "emergency(off)"
            << "结束紧急广播";
    }
    void changes() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, body);
        QFETCH(QString, call);
        QFETCH(QString, logged);
        const Login l = login(kPassword, "127.0.0.9");
        const RawReply r = exchange(post(path, body, withSession(l)), "127.0.0.9");
        QCOMPARE(r.status, 200);
        QCOMPARE(QJsonDocument::fromJson(r.body).object().value("ok").toBool(), true);
        QCOMPARE(actions_.calls, QStringList{call});
        QCOMPARE(log_.lines, (QStringList{"127.0.0.9 登录 ok", "127.0.0.9 " + logged + " ok"}));
    }

    // The session's cookie is out of scripts' and other sites' reach, and ends with a logout or a new
    // password.
    void sessionEnds_data() {
        QTest::addColumn<bool>("logout");
        QTest::addRow("by a logout") << true;
        QTest::addRow("by a new password") << false;
    }
    void sessionEnds() {
        QFETCH(bool, logout);
        const RawReply r =
            exchange(post("/api/login", QJsonDocument(QJsonObject{{"password", kPassword}}).toJson()));
        QCOMPARE(r.status, 200);
        QVERIFY(r.header("set-cookie").contains("; HttpOnly; SameSite=Strict"));
        const Login l{r.header("set-cookie").split(';').first(),
                      QJsonDocument::fromJson(r.body).object().value("token").toString().toLatin1()};
        const RawReply status = exchange(get("/api/status", "Cookie: " + l.cookie + "\r\n"));
        QCOMPARE(status.status, 200);
        const QJsonObject shown = QJsonDocument::fromJson(status.body).object();
        QCOMPARE(shown.value("next").toArray().first().toString(), QStringLiteral("08:00:00 上课铃"));
        QCOMPARE(shown.value("reason").toString(), QStringLiteral("默认作息表"));
        if (logout) {
            QCOMPARE(exchange(post("/api/logout", "{}", withSession(l))).status, 200);
        } else {
            PageSettings s = page_->settings();
            s.digest = passwordDigest(QStringLiteral("new"), kTestRounds);
            page_->setSettings(s);
        }
        QCOMPARE(exchange(get("/api/status", "Cookie: " + l.cookie + "\r\n")).status, 401);
        QCOMPARE(exchange(post("/api/ring", "{}", withSession(l))).status, 401);
        QCOMPARE(actions_.calls, QStringList());
    }

    // A wrong password 100 times: a few are checked, the rest refused unchecked, and even the right
    // one waits out the minute.
    void wrongPassword100Times() {
        QList<int> statuses;
        for (int i = 0; i < 100; ++i)
            statuses << exchange(post("/api/login", "{\"password\":\"guess" + QByteArray::number(i) + "\"}"))
                            .status;
        QCOMPARE(statuses.count(401), LoginLimiter::kPerAddress);
        QCOMPARE(statuses.count(429), 100 - LoginLimiter::kPerAddress);
        QCOMPARE(log_.lines.count("127.0.0.1 登录 failed"), LoginLimiter::kPerAddress);
        QVERIFY(login().token.isEmpty());
        QVERIFY(!login(kPassword, "127.0.0.2").token.isEmpty());
        clock_.advance(LoginLimiter::kWindowMs);
        QVERIFY(!login().token.isEmpty());
    }

    // Tries counted per address and over all addresses within a minute.
    void limiter_data() {
        QTest::addColumn<QStringList>("tries");  // "address@second"
        QTest::addColumn<QList<bool>>("admitted");
        const QList<bool> fiveThenNo{true, true, true, true, true, false};
        QTest::addRow("five from one address, the sixth refused")
            << QStringList{"1@0", "1@1", "1@2", "1@3", "1@4", "1@5"} << fiveThenNo;
        QTest::addRow("another address is not held up by the first")
            << QStringList{"1@0", "1@0", "1@0", "1@0", "1@0", "2@0"}
            << QList<bool>{true, true, true, true, true, true};
        QTest::addRow("a minute after the first try, one more")
            << QStringList{"1@0", "1@10", "1@20", "1@30", "1@40", "1@59", "1@60", "1@61"}
            << QList<bool>{true, true, true, true, true, false, true, false};
        QTest::addRow("an IPv4 address over IPv6 is the same caller")
            << QStringList{"1@0", "1@0", "1@0", "1@0", "1@0", "::ffff:127.0.0.1@0"} << fiveThenNo;
        QStringList many;
        QList<bool> manyAdmitted;
        for (int i = 0; i < LoginLimiter::kOverall + 1; ++i) {
            many << QStringLiteral("%1@0").arg(i % 10 + 1);
            manyAdmitted << (i < LoginLimiter::kOverall);
        }
        QTest::addRow("all addresses together") << many << manyAdmitted;
    }
    void limiter() {
        QFETCH(QStringList, tries);
        QFETCH(QList<bool>, admitted);
        LoginLimiter limiter;
        QList<bool> got;
        for (const QString& t : tries) {
            const QString who = t.section('@', 0, 0);
            const QHostAddress address(who.contains(':') ? who : "127.0.0." + who);
            got << limiter.admit(address, t.section('@', 1).toLongLong() * 1000);
        }
        QCOMPARE(got, admitted);
    }

    // 500 parallel connections, some sending 10 MB: each beyond the caps is refused, the event loop
    // never stalls, and the page serves a login afterwards.
    void flood() {
        const quint16 port = page_->port();
        std::atomic<int> refused{0};
        std::atomic<bool> done{false};
        std::thread attacker([&] {
            std::vector<int> fds;
            for (int i = 0; i < 500; ++i) {
                const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_port = htons(port);
                ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
                if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
                    // Half the headers of a request, never finished.
                    ::send(fd, "GET / HTTP/1.1\r\nHost: x\r\n", 25, MSG_NOSIGNAL);
                }
                fds.push_back(fd);
            }
            for (int i = 0; i < 4; ++i) {
                if (rawExchange(port, post("/api/login", QByteArray(10 * 1024 * 1024, 'x')), "127.0.0.3")
                        .status != 200)
                    ++refused;
            }
            for (const int fd : fds)
                ::close(fd);
            done = true;
        });
        qint64 worst = 0;
        int most = 0;
        int turns = 0;
        const QDeadlineTimer deadline(60000);
        while (!done && !deadline.hasExpired()) {
            QElapsedTimer t;
            t.start();
            bool fired = false;
            QTimer::singleShot(0, [&] { fired = true; });
            while (!fired)
                QCoreApplication::processEvents(QEventLoop::AllEvents);
            worst = std::max(worst, t.elapsed());
            most = std::max(most, page_->connectionCount());
            ++turns;
        }
        attacker.join();
        qInfo("flood: %d zero-timers, the slowest fired after %lld ms; at most %d connections held", turns,
              worst, most);
        QVERIFY(done);
        QCOMPARE(refused.load(), 4);
        QVERIFY(most <= RemotePage::kMaxConnectionsPerAddress + 1);
        // Generous against a loaded machine, far below a password check (half a second) or a 10 MB parse.
        QVERIFY2(worst < 250, qPrintable(QString::number(worst)));
        QTRY_VERIFY(page_->connectionCount() == 0);
        QVERIFY(!login().token.isEmpty());
    }

    // A connection that says nothing is closed once it has been idle for a minute.
    void idleConnectionsClosed() {
        const quint16 port = page_->port();
        std::atomic<bool> closed{false};
        std::atomic<bool> finished{false};
        std::thread idle([&] {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
            timeval timeout{20, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
                char c;
                closed = ::recv(fd, &c, 1, 0) == 0;
            }
            ::close(fd);
            finished = true;
        });
        QTRY_COMPARE(page_->connectionCount(), 1);
        clock_.advance(RemotePage::kIdleMs - 1);
        page_->closeIdleConnections();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(page_->connectionCount(), 1);
        clock_.advance(1);
        page_->closeIdleConnections();
        QCOMPARE(page_->connectionCount(), 0);
        QTRY_VERIFY(finished);
        idle.join();
        QVERIFY(closed);
    }
};

QTEST_GUILESS_MAIN(RemotePageTest)
#include "remote_page_test.moc"
