#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <memory>
#include <optional>

#include "remote/remote_actions.h"
#include "remote/web/login_limiter.h"
#include "remote/web/page_settings.h"

class QFile;
class QTcpSocket;
class QHttpServerRequest;

namespace quel {

class Clock;
class PageServer;
class GuardedTcpServer;

// Where the page's changes go: the shell writes them to the history.
class RemoteLog {
public:
    virtual ~RemoteLog() = default;
    // `what` names the change in the operator's words (立即打铃, 登录); `address` is the caller's.
    virtual void remoteChange(const QString& address, const QString& what, const ActionResult& result) = 0;
};

// The page for a phone: a small HTTP server on the school's network that shows the day and forwards a
// few commands to RemoteActions. Every change needs a session (a cookie that scripts cannot read,
// never sent by another site) and its token in a header, so neither a link nor a form of another site
// can ring a bell. The page itself is compiled in; nothing of the program folder is ever served.
//
// Hostile callers are held off without ever holding the event loop: a request is cut at a size cap,
// one address and all addresses together keep a bounded number of connections, idle ones are closed,
// and password checks run on a worker thread, a few a minute.
class RemotePage : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRequestBytes = 64 * 1024;
    static constexpr int kMaxConnectionsPerAddress = 32;
    static constexpr int kMaxConnections = 128;
    static constexpr qint64 kIdleMs = 60 * 1000;
    static constexpr int kMaxSessions = 16;
    static constexpr qint64 kSessionIdleMs = 12 * 60 * 60 * 1000;

    RemotePage(Clock& clock, RemoteActions& actions, RemoteLog& log, PageSettings settings,
               QObject* parent = nullptr);
    ~RemotePage() override;

    const PageSettings& settings() const { return settings_; }
    // Takes effect at the next start; a new password also ends every session.
    void setSettings(const PageSettings& settings);

    // Listens on the settings' address and port; false with the reason in `error` when there is no
    // password or the port cannot be had.
    bool start(QString* error = nullptr);
    void stop();
    bool running() const;
    // The port listened on (the one the system chose when the settings ask for 0).
    quint16 port() const;

    // A folder whose regular files anyone on the network may read, without a session, under `prefix`
    // ("/name/"): another part of the program hands out files through the page's server this way.
    // An empty folder shares nothing, and the prefix is then an ordinary page path again (404).
    void setSharedFolder(const QString& prefix, const QString& folder);
    QString sharedFolder() const { return sharedFolder_; }

    // Closes connections that sent nothing for kIdleMs; a timer calls it every few seconds.
    void closeIdleConnections();
    int connectionCount() const { return static_cast<int>(connections_.size()); }

    // Files up to this size go out in one write; larger ones a chunk at a time as the caller takes them,
    // so a slow caller of a long sound never holds the event loop nor the whole file in memory.
    static constexpr qint64 kWholeFileBytes = 256 * 1024;
    static constexpr qint64 kChunkBytes = 64 * 1024;

signals:
    void runningChanged(bool running);
    // A request under the shared prefix was answered: `method` as sent ("GET", "HEAD"), `target` its
    // path and query.
    void sharedRequested(const QString& address, const QString& method, const QString& target, int status);

private:
    friend class PageServer;
    friend class GuardedTcpServer;
    struct Connection {
        QHostAddress from;
        qint64 requestBytes = 0;
        qint64 lastActivityMs = 0;
    };
    struct Session {
        QByteArray id;
        QByteArray token;
        qint64 lastUsedMs = 0;
    };
    struct Reply;
    // The rest of a shared file still to go out on one connection.
    struct Transfer {
        std::shared_ptr<QFile> file;
        qint64 left = 0;
        bool close = false;
    };

    bool admit(QTcpSocket* socket);
    void countBytes(QTcpSocket* socket);
    void drop(QTcpSocket* socket);
    bool handle(const QHttpServerRequest& request, QTcpSocket* socket);
    Reply serveFile(const QString& path) const;
    void serveShared(const QHttpServerRequest& request, QTcpSocket* socket, const QString& from, bool close);
    void pump(QTcpSocket* socket);
    Reply status(const Session& session) const;
    void login(const QHttpServerRequest& request, QTcpSocket* socket, const QString& from);
    Reply action(const QString& name, const QByteArray& body, const QString& from);
    Session* sessionOf(const QHttpServerRequest& request);
    void send(QTcpSocket* socket, const Reply& reply, bool close) const;
    QByteArray head(const Reply& reply, qint64 length, bool close) const;

    Clock& clock_;
    RemoteActions& actions_;
    RemoteLog& log_;
    PageSettings settings_;
    std::unique_ptr<PageServer> server_;
    QHash<QTcpSocket*, Connection> connections_;
    QHash<QTcpSocket*, Transfer> transfers_;
    QString sharedPrefix_;
    QString sharedFolder_;
    QList<Session> sessions_;
    LoginLimiter limiter_;
    QTimer sweep_;
    // One check at a time: a flood of logins costs at most one core.
    QThreadPool checks_;
};

// The regular file inside `folder` that `encodedPath` (a URL path below the shared prefix, still
// percent-encoded) names, as its real path; nullopt for anything else: a name that climbs out or hides
// (".", "..", ".name"), an encoded separator, a backslash, NUL, a link leading out, a folder.
std::optional<QString> sharedFile(const QString& folder, const QString& encodedPath);

}  // namespace quel
