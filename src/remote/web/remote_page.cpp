#include "remote/web/remote_page.h"

#include <sys/stat.h>
#include <QAbstractHttpServer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/clock.h"

namespace quel {

namespace {

const QByteArray kCookie = QByteArrayLiteral("quel_session");
const QByteArray kTokenHeader = QByteArrayLiteral("x-quel-token");
constexpr int kSecretBytes = 32;
constexpr int kSweepMs = 5000;
constexpr int kMaxPlayListName = 255;

QByteArray secret() {
    QByteArray bytes(kSecretBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes.toHex();
}

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 429:
            return "Too Many Requests";
        default:
            return "Internal Server Error";
    }
}

// An IPv4 caller reached through a dual-stack socket is the same caller as over IPv4.
QHostAddress plain(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QByteArray cookieValue(const QByteArray& header, const QByteArray& name) {
    for (const QByteArray& part : header.split(';')) {
        const QByteArray item = part.trimmed();
        if (item.startsWith(name + '='))
            return item.mid(name.size() + 1);
    }
    return {};
}

std::optional<QJsonObject> jsonBody(const QByteArray& body) {
    if (body.trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject answer(const ActionResult& result) {
    return {{QStringLiteral("ok"), result.ok}, {QStringLiteral("message"), result.message}};
}

// A play list is named, never given as a path: the page cannot reach a file outside the lists' folder.
bool plainName(const QString& name) {
    return !name.isEmpty() && name.size() <= kMaxPlayListName && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && name != QLatin1String("..") && name != QLatin1String(".") &&
           !name.contains(QChar(0));
}

const QString kHttpDate = QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'");

// English day and month names whatever the locale, as HTTP dates are written.
QByteArray httpDate(const QDateTime& t) {
    return QLocale::c().toString(t.toUTC(), kHttpDate).toLatin1();
}

QDateTime parseHttpDate(const QByteArray& text) {
    QDateTime t = QLocale::c().toDateTime(QString::fromLatin1(text.trimmed()), kHttpDate);
    t.setTimeSpec(Qt::UTC);
    return t;
}

// Whether an If-None-Match list names `etag`; a weak comparison, as conditional GETs use.
bool etagListed(const QByteArray& header, const QByteArray& etag) {
    for (QByteArray item : header.split(',')) {
        item = item.trimmed();
        if (item == "*")
            return true;
        if (item.startsWith("W/"))
            item = item.mid(2);
        if (item == etag)
            return true;
    }
    return false;
}

}  // namespace

std::optional<QString> sharedFile(const QString& folder, const QString& encodedPath) {
    if (folder.isEmpty() || encodedPath.isEmpty())
        return std::nullopt;
    QStringList names;
    for (const QString& segment : encodedPath.split(QLatin1Char('/'))) {
        const QString name = QUrl::fromPercentEncoding(segment.toLatin1());
        // Hidden names are refused too: a file being written beside its final name starts with a dot.
        if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/')) ||
            name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
            return std::nullopt;
        names << name;
    }
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return std::nullopt;
    // Links are followed to where they lead, and that must still be inside the folder.
    const QFileInfo real(
        QFileInfo(root + QLatin1Char('/') + names.join(QLatin1Char('/'))).canonicalFilePath());
    if (real.filePath().isEmpty() || !real.filePath().startsWith(root + QLatin1Char('/')) || !real.isFile())
        return std::nullopt;
    return real.filePath();
}

struct RemotePage::Reply {
    int status = 200;
    QByteArray type = QByteArrayLiteral("application/json; charset=utf-8");
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray cache = QByteArrayLiteral("no-store");

    static Reply error(int status, const QString& message) {
        Reply r;
        r.status = status;
        r.body = json({{QStringLiteral("ok"), false}, {QStringLiteral("message"), message}});
        return r;
    }
};

// Accepts a connection only while its address and all callers together stay under their caps, and
// sees each socket's bytes before the HTTP parser does.
class GuardedTcpServer : public QTcpServer {
public:
    GuardedTcpServer(RemotePage& page, QObject* parent) : QTcpServer(parent), page_(page) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor) || !page_.admit(socket)) {
            socket->abort();
            delete socket;
            return;
        }
        addPendingConnection(socket);
    }

private:
    RemotePage& page_;
};

class PageServer : public QAbstractHttpServer {
public:
    explicit PageServer(RemotePage& page) : page_(page) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        return page_.handle(request, socket);
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket* socket) override {
        page_.send(socket, RemotePage::Reply::error(404, QStringLiteral("没有这一页")), false);
    }

private:
    RemotePage& page_;
};

RemotePage::RemotePage(Clock& clock, RemoteActions& actions, RemoteLog& log, PageSettings settings,
                       QObject* parent)
    : QObject(parent), clock_(clock), actions_(actions), log_(log), settings_(std::move(settings)) {
    checks_.setMaxThreadCount(1);
    sweep_.setInterval(kSweepMs);
    connect(&sweep_, &QTimer::timeout, this, &RemotePage::closeIdleConnections);
}

RemotePage::~RemotePage() {
    stop();
}

void RemotePage::setSettings(const PageSettings& settings) {
    if (settings.digest != settings_.digest)
        sessions_.clear();
    settings_ = settings;
}

bool RemotePage::start(QString* error) {
    stop();
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (settings_.digest.isEmpty())
        return fail(QStringLiteral("没有设置密码，远程控制页面不能开启"));
    const QHostAddress address(settings_.address);
    if (address.isNull())
        return fail(QStringLiteral("地址 %1 不是有效的 IP 地址").arg(settings_.address));
    auto server = std::make_unique<PageServer>(*this);
    auto* tcp = new GuardedTcpServer(*this, server.get());
    if (!tcp->listen(address, settings_.port))
        return fail(QStringLiteral("不能在 %1 端口 %2 上监听：%3")
                        .arg(settings_.address)
                        .arg(settings_.port)
                        .arg(tcp->errorString()));
    server->bind(tcp);
    server_ = std::move(server);
    sweep_.start();
    emit runningChanged(true);
    return true;
}

void RemotePage::stop() {
    if (!server_)
        return;
    sweep_.stop();
    server_.reset();
    connections_.clear();
    transfers_.clear();
    emit runningChanged(false);
}

bool RemotePage::running() const {
    return server_ != nullptr;
}

quint16 RemotePage::port() const {
    if (!server_)
        return 0;
    const QList<QTcpServer*> servers = server_->servers();
    return servers.isEmpty() ? 0 : servers.first()->serverPort();
}

bool RemotePage::admit(QTcpSocket* socket) {
    const QHostAddress from = plain(socket->peerAddress());
    if (connections_.size() >= kMaxConnections)
        return false;
    int mine = 0;
    for (const Connection& c : std::as_const(connections_))
        mine += c.from == from ? 1 : 0;
    if (mine >= kMaxConnectionsPerAddress)
        return false;
    // A request that stops at the cap is cut there; it is never held in memory whole.
    socket->setReadBufferSize(kMaxRequestBytes);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { countBytes(socket); });
    // A caller taking a long file is busy, not idle.
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        auto it = connections_.find(socket);
        if (it != connections_.end())
            it->lastActivityMs = clock_.msecsMonotonic();
        pump(socket);
    });
    connect(socket, &QObject::destroyed, this, [this, socket] {
        connections_.remove(socket);
        transfers_.remove(socket);
    });
    connections_.insert(socket, Connection{from, 0, clock_.msecsMonotonic()});
    return true;
}

void RemotePage::countBytes(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    it->lastActivityMs = clock_.msecsMonotonic();
    // The parser reads everything that arrived, so what is available now arrived since the last call.
    it->requestBytes += socket->bytesAvailable();
    if (it->requestBytes < kMaxRequestBytes)
        return;
    // The parser must not see the rest: it would keep the whole body in memory.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    send(socket, Reply::error(413, QStringLiteral("请求太大")), true);
}

void RemotePage::drop(QTcpSocket* socket) {
    connections_.remove(socket);
    transfers_.remove(socket);
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void RemotePage::closeIdleConnections() {
    const qint64 now = clock_.msecsMonotonic();
    QList<QTcpSocket*> idle;
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        if (now - it->lastActivityMs >= kIdleMs)
            idle << it.key();
    }
    for (QTcpSocket* socket : idle)
        drop(socket);
}

void RemotePage::send(QTcpSocket* socket, const Reply& reply, bool close) const {
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(head(reply, reply.body.size(), close) + reply.body);
    if (close)
        socket->disconnectFromHost();
}

QByteArray RemotePage::head(const Reply& reply, qint64 length, bool close) const {
    QByteArray out =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    out += "Content-Type: " + reply.type + "\r\n";
    // "Not modified" has no body by definition; a length there would be taken for the file's.
    if (reply.status != 304)
        out += "Content-Length: " + QByteArray::number(length) + "\r\n";
    out += "Cache-Control: " + reply.cache + "\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    // The emergency button must not be clickable through another site's frame.
    out += "X-Frame-Options: DENY\r\n";
    out += "Content-Security-Policy: default-src 'self'; frame-ancestors 'none'; form-action 'self'\r\n";
    out += "Referrer-Policy: no-referrer\r\n";
    for (const auto& [name, value] : reply.headers)
        out += name + ": " + value + "\r\n";
    if (close)
        out += "Connection: close\r\n";
    out += "\r\n";
    return out;
}

void RemotePage::setSharedFolder(const QString& prefix, const QString& folder) {
    sharedPrefix_ = prefix;
    sharedFolder_ = folder;
}

void RemotePage::serveShared(const QHttpServerRequest& request, QTcpSocket* socket, const QString& from,
                             bool close) {
    const QUrl url = request.url();
    const QString path = url.path(QUrl::FullyEncoded);
    const QString target = url.hasQuery() ? path + QLatin1Char('?') + url.query(QUrl::FullyEncoded) : path;
    const bool isHead = request.method() == QHttpServerRequest::Method::Head;
    const QString method = request.method() == QHttpServerRequest::Method::Get ? QStringLiteral("GET")
                           : isHead                                            ? QStringLiteral("HEAD")
                                                                               : QStringLiteral("OTHER");
    const auto answerWith = [&](const Reply& r) {
        emit sharedRequested(from, method, target, r.status);
        send(socket, r, close);
    };
    if (request.method() != QHttpServerRequest::Method::Get && !isHead)
        return answerWith(Reply::error(405, QStringLiteral("只能读取")));
    const std::optional<QString> real = sharedFile(sharedFolder_, path.mid(sharedPrefix_.size()));
    auto file = std::make_shared<QFile>(real.value_or(QString()));
    struct stat st {};
    // What is described and sent is the file opened, even when a new one is renamed over its name.
    if (!real || !file->open(QIODevice::ReadOnly) || ::fstat(file->handle(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return answerWith(Reply::error(404, QStringLiteral("没有这一页")));
    const qint64 modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    const QDateTime modified = QDateTime::fromMSecsSinceEpoch(modifiedMs, Qt::UTC);
    // A file replaced within the same millisecond by one of the same size is another inode.
    const QByteArray etag = '"' + QByteArray::number(qulonglong(st.st_ino), 16) + '-' +
                            QByteArray::number(qint64(st.st_size), 16) + '-' +
                            QByteArray::number(qint64(st.st_mtim.tv_sec), 16) + '.' +
                            QByteArray::number(qint64(st.st_mtim.tv_nsec), 16) + '"';
    Reply r;
    r.type = QByteArrayLiteral("application/octet-stream");
    // Kept, but asked about again every time: a new bundle must reach the next fetch.
    r.cache = QByteArrayLiteral("no-cache");
    r.headers = {{"ETag", etag}, {"Last-Modified", httpDate(modified)}, {"Date", httpDate(clock_.now())}};
    const QByteArray ifNoneMatch = request.value("if-none-match");
    const QDateTime ifModifiedSince = parseHttpDate(request.value("if-modified-since"));
    // If-None-Match, when sent, decides alone; the time counts whole seconds, as HTTP dates do.
    const bool unchanged =
        !ifNoneMatch.isEmpty()
            ? etagListed(ifNoneMatch, etag)
            : ifModifiedSince.isValid() && modified.toSecsSinceEpoch() <= ifModifiedSince.toSecsSinceEpoch();
    if (unchanged) {
        r.status = 304;
        return answerWith(r);
    }
    emit sharedRequested(from, method, target, r.status);
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    const qint64 size = st.st_size;
    if (isHead || size <= kWholeFileBytes) {
        if (!isHead) {
            r.body = file->read(size);
            // A file cut short under our feet must not go out as if it were whole.
            if (r.body.size() != size)
                return drop(socket);
        }
        socket->write(head(r, size, close) + r.body);
        if (close)
            socket->disconnectFromHost();
        return;
    }
    socket->write(head(r, size, close));
    transfers_.insert(socket, Transfer{file, size, close});
    pump(socket);
}

void RemotePage::pump(QTcpSocket* socket) {
    auto it = transfers_.find(socket);
    if (it == transfers_.end())
        return;
    // Only a chunk or two wait in the socket: the file is read as fast as the caller takes it.
    while (it->left > 0 && socket->bytesToWrite() < kChunkBytes) {
        const QByteArray chunk = it->file->read(std::min(it->left, kChunkBytes));
        if (chunk.isEmpty())
            return drop(socket);  // cut: the caller sees fewer bytes than announced, not a whole file
        it->left -= chunk.size();
        socket->write(chunk);
    }
    if (it->left > 0)
        return;
    const bool close = it->close;
    transfers_.erase(it);
    if (close)
        socket->disconnectFromHost();
}

RemotePage::Reply RemotePage::serveFile(const QString& path) const {
    static const QHash<QString, QPair<QString, QByteArray>> files = {
        {QStringLiteral("/"), {QStringLiteral(":/quel-web/index.html"), "text/html; charset=utf-8"}},
        {QStringLiteral("/app.js"), {QStringLiteral(":/quel-web/app.js"), "text/javascript; charset=utf-8"}},
        {QStringLiteral("/style.css"), {QStringLiteral(":/quel-web/style.css"), "text/css; charset=utf-8"}},
    };
    const auto it = files.constFind(path);
    if (it == files.cend())
        return Reply::error(404, QStringLiteral("没有这一页"));
    QFile file(it->first);
    if (!file.open(QIODevice::ReadOnly))
        return Reply::error(500, QStringLiteral("页面缺失"));
    Reply r;
    r.type = it->second;
    r.body = file.readAll();
    return r;
}

RemotePage::Session* RemotePage::sessionOf(const QHttpServerRequest& request) {
    const qint64 now = clock_.msecsMonotonic();
    sessions_.removeIf([now](const Session& s) { return now - s.lastUsedMs >= kSessionIdleMs; });
    const QByteArray id = cookieValue(request.value("cookie"), kCookie);
    Session* found = nullptr;
    // Every session is compared, whichever matches, so the time taken tells nothing of the ids.
    for (Session& s : sessions_) {
        if (sameBytes(s.id, id) && !id.isEmpty())
            found = &s;
    }
    if (found)
        found->lastUsedMs = now;
    return found;
}

RemotePage::Reply RemotePage::status(const Session& session) const {
    const RemoteStatus s = actions_.status();
    return Reply{200,
                 "application/json; charset=utf-8",
                 json({{QStringLiteral("table"), s.todayTable},
                       {QStringLiteral("reason"), s.todayReason},
                       {QStringLiteral("next"), QJsonArray::fromStringList(s.nextEntries)},
                       {QStringLiteral("playing"), s.playing},
                       {QStringLiteral("emergency"), s.emergency},
                       {QStringLiteral("token"), QString::fromLatin1(session.token)}}),
                 {}};
}

bool RemotePage::handle(const QHttpServerRequest& request, QTcpSocket* socket) {
    auto conn = connections_.find(socket);
    if (conn != connections_.end()) {
        conn->requestBytes = 0;
        conn->lastActivityMs = clock_.msecsMonotonic();
    }
    const bool close = request.value("connection").trimmed().toLower() == "close";
    const QString from = plain(request.remoteAddress()).toString();
    // A caller that asks again before a long file has gone out would get the answers interleaved.
    if (transfers_.contains(socket)) {
        drop(socket);
        return true;
    }
    const QString path = request.url().path();
    const bool isGet = request.method() == QHttpServerRequest::Method::Get;
    const bool isPost = request.method() == QHttpServerRequest::Method::Post;
    if (!sharedFolder_.isEmpty() && request.url().path(QUrl::FullyEncoded).startsWith(sharedPrefix_)) {
        serveShared(request, socket, from, close);
        return true;
    }

    if (!path.startsWith(QLatin1String("/api/"))) {
        send(socket, isGet ? serveFile(path) : Reply::error(405, QStringLiteral("只能读取")), close);
        return true;
    }
    // A browser names the page a request came from; one from another site is refused before anything
    // else, so a foreign page cannot even try a password.
    const QByteArray origin = request.value("origin");
    if (isPost && !origin.isEmpty() && origin != "http://" + request.value("host")) {
        send(socket, Reply::error(403, QStringLiteral("来自其他网站的请求")), close);
        return true;
    }
    if (path == QLatin1String("/api/login")) {
        if (!isPost)
            send(socket, Reply::error(405, QStringLiteral("登录只能用 POST")), close);
        else
            login(request, socket, from);
        return true;
    }
    Session* session = sessionOf(request);
    if (!session) {
        send(socket, Reply::error(401, QStringLiteral("请先登录")), close);
        return true;
    }
    if (path == QLatin1String("/api/status")) {
        send(socket, isGet ? status(*session) : Reply::error(405, QStringLiteral("只能读取")), close);
        return true;
    }
    // Every change is a POST that carries the session's token, which only the page itself can read.
    if (!isPost) {
        send(socket, Reply::error(405, QStringLiteral("更改只能用 POST")), close);
        return true;
    }
    if (!sameBytes(request.value(kTokenHeader), session->token)) {
        send(socket, Reply::error(403, QStringLiteral("令牌无效，请重新登录")), close);
        return true;
    }
    if (path == QLatin1String("/api/logout")) {
        const QByteArray id = session->id;
        sessions_.removeIf([&id](const Session& s) { return s.id == id; });
        log_.remoteChange(from, QStringLiteral("退出登录"), {true, QString()});
        Reply r;
        r.body = json(answer({true, QStringLiteral("已退出")}));
        r.headers.append({"Set-Cookie", kCookie + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict"});
        send(socket, r, close);
        return true;
    }
    send(socket, action(path.mid(5), request.body(), from), close);
    return true;
}

void RemotePage::login(const QHttpServerRequest& request, QTcpSocket* socket, const QString& from) {
    const bool close = request.value("connection").trimmed().toLower() == "close";
    const auto body = jsonBody(request.body());
    if (!body || !body->value(QStringLiteral("password")).isString()) {
        send(socket, Reply::error(400, QStringLiteral("缺少密码")), close);
        return;
    }
    if (!limiter_.admit(QHostAddress(from), clock_.msecsMonotonic())) {
        send(socket, Reply::error(429, QStringLiteral("尝试次数太多，请一分钟后再试")), close);
        return;
    }
    const QString digest = settings_.digest;
    const QString password = body->value(QStringLiteral("password")).toString();
    // The check costs about half a second of a core: the bells do not wait for it.
    auto* watcher = new QFutureWatcher<bool>(this);
    const QPointer<QTcpSocket> target(socket);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, target, digest, from, close] {
        watcher->deleteLater();
        // A password changed meanwhile makes the old one worthless.
        const bool ok = watcher->result() && digest == settings_.digest;
        log_.remoteChange(from, QStringLiteral("登录"), {ok, ok ? QString() : QStringLiteral("密码错误")});
        if (!target)
            return;
        if (!ok) {
            send(target, Reply::error(401, QStringLiteral("密码错误")), close);
            return;
        }
        if (sessions_.size() >= kMaxSessions) {
            const auto oldest = std::min_element(
                sessions_.begin(), sessions_.end(),
                [](const Session& a, const Session& b) { return a.lastUsedMs < b.lastUsedMs; });
            sessions_.erase(oldest);
        }
        const Session session{secret(), secret(), clock_.msecsMonotonic()};
        sessions_.append(session);
        Reply r;
        r.body = json(
            {{QStringLiteral("ok"), true}, {QStringLiteral("token"), QString::fromLatin1(session.token)}});
        r.headers.append({"Set-Cookie", kCookie + '=' + session.id + "; Path=/; HttpOnly; SameSite=Strict"});
        send(target, r, close);
    });
    watcher->setFuture(
        QtConcurrent::run(&checks_, [digest, password] { return passwordMatches(digest, password); }));
}

RemotePage::Reply RemotePage::action(const QString& name, const QByteArray& body, const QString& from) {
    const auto args = jsonBody(body);
    if (!args)
        return Reply::error(400, QStringLiteral("请求内容无效"));
    QString what;
    ActionResult result;
    if (name == QLatin1String("ring")) {
        what = QStringLiteral("立即打铃");
        result = actions_.ringNow(QString());
    } else if (name == QLatin1String("skip")) {
        what = QStringLiteral("跳过下一次打铃");
        result = actions_.skipNext();
    } else if (name == QLatin1String("stop")) {
        what = QStringLiteral("停止播音");
        result = actions_.stop();
    } else if (name == QLatin1String("broadcast")) {
        const QString list = args->value(QStringLiteral("list")).toString().trimmed();
        if (!plainName(list))
            return Reply::error(400, QStringLiteral("播放列表名称无效"));
        what = QStringLiteral("播放列表 %1").arg(list);
        result = actions_.broadcast(list, args->value(QStringLiteral("random")).toBool());
    } else if (name == QLatin1String("say")) {
        what = QStringLiteral("报时");
        result = actions_.say(args->value(QStringLiteral("female")).toBool());
    } else if (name == QLatin1String("emergency")) {
        const bool on = args->value(QStringLiteral("on")).toBool();
        // Starting the emergency broadcast is confirmed on the page; a request without that is refused.
        if (on && !args->value(QStringLiteral("confirmed")).toBool())
            return Reply::error(400, QStringLiteral("紧急广播需要确认"));
        what = on ? QStringLiteral("紧急广播") : QStringLiteral("结束紧急广播");
        result = actions_.emergency(on);
    } else {
        return Reply::error(404, QStringLiteral("没有这个操作"));
    }
    log_.remoteChange(from, what, result);
    Reply r;
    r.body = json(answer(result));
    return r;
}

}  // namespace quel
