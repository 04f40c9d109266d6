#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QStringList>

#include <atomic>
#include <thread>

#include "remote/remote_actions.h"
#include "remote/web/remote_page.h"

namespace quel::fakes {

// Records every call as one line ("ringNow()", "broadcast(A.PLF,random)") and answers ok.
class FakeRemoteActions final : public RemoteActions {
public:
    ActionResult ringNow(const QString& file) override {
        return note(QStringLiteral("ringNow(%1)").arg(file));
    }
    ActionResult next() override { return note(QStringLiteral("next()")); }
    ActionResult skipNext() override { return note(QStringLiteral("skipNext()")); }
    ActionResult broadcast(const QString& playList, bool random) override {
        return note(QStringLiteral("broadcast(%1,%2)").arg(playList, random ? "random" : "order"));
    }
    ActionResult stop() override { return note(QStringLiteral("stop()")); }
    ActionResult say(bool female) override { return note(QStringLiteral("say(%1)").arg(female ? "F" : "M")); }
    ActionResult emergency(bool on) override {
        state.emergency = on;
        return note(QStringLiteral("emergency(%1)").arg(on ? "on" : "off"));
    }
    RemoteStatus status() const override { return state; }

    QStringList calls;
    RemoteStatus state{QStringLiteral("Default.DTT"),
                       QStringLiteral("默认作息表"),
                       {QStringLiteral("08:00:00 上课铃"), QStringLiteral("08:45:00 下课铃")},
                       QString(),
                       false};

private:
    ActionResult note(const QString& call) {
        calls << call;
        return {true, QStringLiteral("已完成")};
    }
};

class FakeRemoteLog final : public RemoteLog {
public:
    void remoteChange(const QString& address, const QString& what, const ActionResult& result) override {
        lines << QStringLiteral("%1 %2 %3").arg(address, what, result.ok ? "ok" : "failed");
    }
    QStringList lines;
};

// What came back on one connection: the status (0 when the server closed without a reply), the
// header block and the body.
struct RawReply {
    int status = 0;
    QByteArray head;
    QByteArray body;
    QByteArray header(const QByteArray& name) const {
        for (const QByteArray& line : head.split('\n')) {
            const int colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

// A blocking loopback client: connects from `source` (any 127.x address), sends `bytes` and reads one
// reply (only its head when `headOnly`, as the answer to HEAD has no body). It runs off the test's
// thread, which keeps the server's event loop turning.
inline RawReply rawExchange(quint16 port, const QByteArray& bytes, const char* source = "127.0.0.1",
                            bool headOnly = false) {
    RawReply reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return reply;
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return reply;
    }
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n =
            ::send(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    QByteArray in;
    char buffer[16384];
    qsizetype expected = -1;
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        in.append(buffer, n);
        const qsizetype end = in.indexOf("\r\n\r\n");
        if (end >= 0 && expected < 0) {
            reply.head = in.left(end);
            expected = end + 4 + (headOnly ? 0 : reply.header("content-length").toLongLong());
        }
        if (expected >= 0 && in.size() >= expected)
            break;
    }
    ::close(fd);
    if (expected < 0 || in.size() < expected)
        return RawReply{};
    reply.status = reply.head.mid(9, 3).toInt();
    reply.body = in.mid(reply.head.size() + 4);
    return reply;
}

// Runs `work` on another thread while this one turns the event loop, for at most 30 s.
// The client has a thread of its own, so it never waits behind the server's password checks.
template <typename Work>
auto offThread(Work work) {
    decltype(work()) result{};
    std::atomic<bool> done{false};
    std::thread client([&] {
        result = work();
        done = true;
    });
    const QDeadlineTimer deadline(30000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    client.join();
    return result;
}

}  // namespace quel::fakes
