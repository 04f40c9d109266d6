#pragma once

#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;

namespace quel {

// One running program per program folder. The first start holds the guard; a later start learns that
// it is second and can ask the first to bring its main window forward.
class InstanceGuard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // True when another instance holds the guard; otherwise this instance takes it.
    virtual bool anotherIsRunning() = 0;
    // Asks the running instance to show its main window.
    virtual void activateOther() = 0;
    // Sends one request line to the running instance and gives the line it answered; nothing when no
    // instance could be reached. Needs no guard of its own: a command-line request never takes one.
    virtual std::optional<QByteArray> sendRequest(const QByteArray&) { return std::nullopt; }

    // How this instance answers a request line from a later start. Until one is set, every request is
    // refused with `notReadyAnswer`, so a request during start-up gets an answer rather than a hang.
    using RequestHandler = std::function<QByteArray(const QByteArray& line)>;
    void setRequestHandler(RequestHandler handler, QByteArray notReadyAnswer = {}) {
        handler_ = std::move(handler);
        later_ = {};
        if (!notReadyAnswer.isEmpty())
            notReady_ = std::move(notReadyAnswer);
    }
    // For requests whose work ends after the handler returns: the handler calls `answer` once, then.
    using AnswerLater = std::function<void(const QByteArray& answer)>;
    using LaterRequestHandler = std::function<void(const QByteArray& line, const AnswerLater& answer)>;
    void setLaterRequestHandler(LaterRequestHandler handler) {
        later_ = std::move(handler);
        handler_ = {};
    }
    void setNotReadyAnswer(QByteArray answer) { notReady_ = std::move(answer); }
    QByteArray answerRequest(const QByteArray& line) const { return handler_ ? handler_(line) : notReady_; }
    void answerRequest(const QByteArray& line, const AnswerLater& answer) const {
        if (later_)
            later_(line, answer);
        else
            answer(answerRequest(line));
    }

signals:
    // Another start asked this instance to come forward.
    void activateRequested();

private:
    RequestHandler handler_;
    LaterRequestHandler later_;
    QByteArray notReady_ = "\n";
};

// A lock file in the program folder, which every start reaches however it got there (a symbolic
// link, a session, cron or ssh with another runtime folder), plus a local socket in the user's
// runtime folder through which a later start reaches the first. The lock of an instance that crashed
// is taken over; the lock of a live one never is, however old it is.
class LocalInstanceGuard final : public InstanceGuard {
    Q_OBJECT
public:
    explicit LocalInstanceGuard(const QString& programFolder, QObject* parent = nullptr);
    ~LocalInstanceGuard() override;
    bool anotherIsRunning() override;
    void activateOther() override;
    std::optional<QByteArray> sendRequest(const QByteArray& line) override;

    // Where the guard's lock file lies in a program folder.
    static QString lockPath(const QString& programFolder);

private:
    bool tryLock(const QString& path);
    void listen();

    QString programFolder_;
    QString socketPath_;  // empty when no runtime folder could be had
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// The per-user key of a program folder, from its canonical path: a folder reached through a symbolic
// link is the same folder.
QString instanceKey(const QString& programFolder);

// Where the user's runtime files may go, in order: $XDG_RUNTIME_DIR when set, then /run/user/<uid>
// (what a session sets it to, so a start from cron, which has none, agrees with the session's), then
// /tmp/quelbrook-<uid>.
QStringList runtimeFolderCandidates(const QString& xdgRuntimeDir);
// The first candidate that is a folder of this user that no one else may enter; the last one is made
// when missing. Empty when none will do.
QString privateRuntimeFolder(const QStringList& candidates);

}  // namespace quel
