#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;

namespace quel {

// The answer to one power request. It reports once, never before the caller could connect to it, and
// then deletes itself.
class PowerReply : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // An empty error is success.
    void finish(const QString& error);
    // The same, from the event loop: for answers known at once, such as a missing bus.
    void finishLater(const QString& error);

signals:
    void done(bool ok, const QString& error);

private:
    bool finished_ = false;
};

// Shutting the computer down, restarting it and ending the desktop session. Every request is
// asynchronous; success means the system accepted it, not that it has happened yet. The replies are
// children of the service.
class Power : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // `interactive`: the operator asked, so the system may ask for a password first.
    virtual PowerReply* shutdown(bool interactive) = 0;
    virtual PowerReply* restart(bool interactive) = 0;
    // Ends the session without the desktop's own confirmation dialog.
    virtual PowerReply* logoff() = 0;
};

// The login manager (systemd-logind) on the system bus for shutdown and restart. Logoff goes to the
// desktop's session manager on the session bus, the first one that runs, so that the desktop saves
// its state; without one, logind ends the session.
class LogindPower final : public Power {
    Q_OBJECT
public:
    LogindPower(QDBusConnection system, QDBusConnection session, QObject* parent = nullptr);
    PowerReply* shutdown(bool interactive) override;
    PowerReply* restart(bool interactive) override;
    PowerReply* logoff() override;

private:
    PowerReply* manager(const QString& method, bool interactive);
    void logoffThrough(const QStringList& sessionBusNames, PowerReply* reply);
    void call(const QDBusConnection& bus, const QDBusMessage& message, int timeoutMs, PowerReply* reply);

    QDBusConnection system_;
    QDBusConnection session_;
};

}  // namespace quel
