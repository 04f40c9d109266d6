#include "platform/instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <sys/stat.h>
#include <unistd.h>

namespace quel {

namespace {
const QByteArray kActivate = "activate\n";
constexpr int kConnectMs = 1000;
// A request is carried out on the running program's event loop; an emergency start or a status takes
// milliseconds, so this only bounds a program that hangs.
constexpr int kAnswerMs = 10000;
// No request line comes near this; a peer that sends more without a line end is cut off.
constexpr qsizetype kMaxRequestBytes = 64 * 1024;
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
            auto pending = std::make_shared<QByteArray>();
            auto asked = std::make_shared<bool>(false);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer, pending, asked] {
                // One request a connection: what a peer sends while its answer is on the way is dropped.
                if (*asked) {
                    peer->readAll();
                    return;
                }
                pending->append(peer->readAll());
                const qsizetype end = pending->indexOf('\n');
                if (end < 0) {
                    if (pending->size() > kMaxRequestBytes)
                        peer->abort();
                    return;
                }
                const QByteArray line = pending->left(end + 1);
                pending->clear();
                *asked = true;
                if (line == kActivate) {
                    emit activateRequested();
                    peer->disconnectFromServer();
                    return;
                }
                // The peer may be gone by the time a late answer comes.
                const QPointer<QLocalSocket> alive(peer);
                answerRequest(line, [alive](const QByteArray& answer) {
                    if (!alive)
                        return;
                    alive->write(answer);
                    alive->disconnectFromServer();
                });
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

std::optional<QByteArray> LocalInstanceGuard::sendRequest(const QByteArray& line) {
    if (socketPath_.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectMs))
        return std::nullopt;
    socket.write(line.endsWith('\n') ? line : line + '\n');
    QByteArray answer;
    while (!answer.contains('\n') && socket.state() == QLocalSocket::ConnectedState &&
           (socket.bytesAvailable() > 0 || socket.waitForReadyRead(kAnswerMs)))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer.left(answer.indexOf('\n') + 1);
}

}  // namespace quel
