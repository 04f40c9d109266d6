#pragma once

// A web server of one folder on the loopback, enough for a follower: GET with ETag and Last-Modified,
// 304 for an unchanged file, and two faults a real network has: a body cut short and a server gone.

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>

namespace quel::campus::test {

class HttpFolderServer {
public:
    explicit HttpFolderServer(QString folder) : folder_(std::move(folder)) {
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                serve(socket);
        });
    }
    bool listen() { return server_.listen(QHostAddress::LocalHost); }
    void close() { server_.close(); }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort()); }

    // Every answer as "<status> <path>", in order.
    QStringList log;
    // Every request that carried a query, as "<path>?<query>".
    QStringList queries;
    // Bodies of files under files/ are cut short by this many bytes while Content-Length names them whole.
    int cutPayloads = 0;
    // A server that gives no ETag answers If-Modified-Since by the file's time in whole seconds.
    bool etags = true;
    // The server's "now" (its Date header and the files' times); the real time when invalid.
    QDateTime fixedNow;

private:
    void serve(QTcpSocket* socket) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& request = pending_[socket];
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            answer(socket, request);
            pending_.remove(socket);
        });
    }

    static QByteArray httpDate(const QDateTime& t) {
        return QLocale::c().toString(t.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
    }

    static QByteArray header(const QByteArray& request, const QByteArray& name) {
        for (const QByteArray& line : request.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }

    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
        const QString target = first.size() >= 2 ? QString::fromUtf8(first[1]).mid(1) : QString();
        // As a static web server does, the query names no file; it is kept as a log would keep it.
        const QString path = target.section(u'?', 0, 0);
        if (target.contains(u'?'))
            queries << path + u'?' + target.section(u'?', 1);
        const QString file = folder_ + QLatin1Char('/') + path;
        QFile f(file);
        if (path.contains(QLatin1String("..")) || !QFileInfo(file).isFile() || !f.open(QIODevice::ReadOnly)) {
            reply(socket, "404 Not Found", {}, {}, path);
            return;
        }
        const QByteArray body = f.readAll();
        const QByteArray etag = '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex() + '"';
        const QDateTime fileTime = fixedNow.isValid() ? fixedNow : QFileInfo(file).lastModified();
        const QByteArray modified = httpDate(fileTime);
        const QByteArray date = httpDate(fixedNow.isValid() ? fixedNow : QDateTime::currentDateTimeUtc());
        if (etags && header(request, "If-None-Match") == etag) {
            reply(socket, "304 Not Modified", "ETag: " + etag + "\r\nDate: " + date + "\r\n", {}, path);
            return;
        }
        if (!etags && !header(request, "If-Modified-Since").isEmpty() &&
            header(request, "If-Modified-Since") == modified) {
            reply(socket, "304 Not Modified", "Date: " + date + "\r\n", {}, path);
            return;
        }
        QByteArray sent = body;
        if (cutPayloads > 0 && path.startsWith(QLatin1String("files/")))
            sent.chop(qMin<qsizetype>(cutPayloads, sent.size()));
        reply(socket, "200 OK",
              (etags ? "ETag: " + etag + "\r\n" : QByteArray()) + "Date: " + date + "\r\nLast-Modified: " +
                  modified + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n",
              sent, path);
    }

    void reply(QTcpSocket* socket, const QByteArray& status, const QByteArray& headers,
               const QByteArray& body, const QString& path) {
        log << QString::fromLatin1(status.left(3)) + u' ' + path;
        QByteArray head = "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + headers;
        if (!headers.contains("Content-Length"))
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        socket->write(head + "\r\n" + body);
        socket->disconnectFromHost();
    }

    QString folder_;
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace quel::campus::test
