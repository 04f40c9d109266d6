#include "platform/instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>
#include <unistd.h>

namespace quel {

namespace {
const QByteArray kActivate = "activate\n";
constexpr int kConnectMs = 1000;
const QString kLockName = QStringLiteral(".quelbrook.lock");

bool isPrivateFolder(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}
}  // namespace

QString instanceKey(const QString& programFolder) {
    QString path = QFileInfo(programFolder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(programFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("quelbrook-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.toHex().left(16)));
}

QStringList runtimeFolderCandidates(const QString& xdgRuntimeDir) {
    QStringList candidates;
    if (!xdgRuntimeDir.isEmpty())
        candidates << xdgRuntimeDir;
    candidates << QStringLiteral("/run/user/%1").arg(::getuid())
               << QStringLiteral("/tmp/quelbrook-%1").arg(::getuid());
    return candidates;
}

QString privateRuntimeFolder(const QStringList& candidates) {
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString& folder = candidates.at(i);
        if (i == candidates.size() - 1)
            ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
        if (isPrivateFolder(folder))
            return folder;
    }
    return {};
}

QString LocalInstanceGuard::lockPath(const QString& programFolder) {
    return programFolder + QLatin1Char('/') + kLockName;
}

LocalInstanceGuard::LocalInstanceGuard(const QString& programFolder, QObject* parent)
    : InstanceGuard(parent), programFolder_(programFolder), key_(instanceKey(programFolder)) {
    const QString runtime =
        privateRuntimeFolder(runtimeFolderCandidates(qEnvironmentVariable("XDG_RUNTIME_DIR")));
    if (!runtime.isEmpty())
        socketPath_ = runtime + QLatin1Char('/') + key_;
}

LocalInstanceGuard::~LocalInstanceGuard() = default;

bool LocalInstanceGuard::tryLock(const QString& path) {
    lock_ = std::make_unique<QLockFile>(path);
    // Stale only when its owner is gone: an owner that still runs keeps its lock however old it is
    // (QLockFile's default would take a lock older than 30 seconds).
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}

bool LocalInstanceGuard::anotherIsRunning() {
    if (lock_ && lock_->isLocked())
        return false;
    if (!tryLock(lockPath(programFolder_))) {
        if (lock_->error() == QLockFile::LockFailedError)
            return true;
        // A program folder this user may not write: the guard falls back to the runtime folder,
        // which still keeps this user's starts apart.
        if (socketPath_.isEmpty() || !tryLock(socketPath_ + QStringLiteral(".lock")))
            return lock_->error() == QLockFile::LockFailedError;
    }
    listen();
    return false;
}

void LocalInstanceGuard::listen() {
    if (socketPath_.isEmpty())
        return;
    // The socket of a crashed instance may still stand; it is ours now.
    QLocalServer::removeServer(socketPath_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("activate"))
                    emit activateRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    server_->listen(socketPath_);
}

void LocalInstanceGuard::activateOther() {
    if (socketPath_.isEmpty())
        return;
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectMs))
        return;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
}

}  // namespace quel
