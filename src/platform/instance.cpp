#include "platform/instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace quel {

namespace {
const QByteArray kActivate = "activate\n";
constexpr int kConnectMs = 1000;
}  // namespace

QString instanceKey(const QString& programFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(programFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("quelbrook-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash.toHex().left(16)));
}

LocalInstanceGuard::LocalInstanceGuard(const QString& key, QObject* parent)
    : InstanceGuard(parent), socketName_(key) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(dir + QLatin1Char('/') + key + QStringLiteral(".lock"));
    // A lock whose owner process is gone is taken over at once, so a crash never blocks a start.
    lock_->setStaleLockTime(0);
}

LocalInstanceGuard::~LocalInstanceGuard() = default;

bool LocalInstanceGuard::anotherIsRunning() {
    if (lock_->isLocked()) return false;
    if (!lock_->tryLock(0)) return lock_->error() == QLockFile::LockFailedError;
    // The socket of a crashed instance may still stand; it is ours now.
    QLocalServer::removeServer(socketName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("activate")) emit activateRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    server_->listen(socketName_);
    return false;
}

void LocalInstanceGuard::activateOther() {
    QLocalSocket socket;
    socket.connectToServer(socketName_);
    if (!socket.waitForConnected(kConnectMs)) return;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
}

}  // namespace quel
