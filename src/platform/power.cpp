#include "platform/power.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace quel {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
// logind resolves "auto" to the session of the caller.
const QString kOwnSession = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

// A polkit agent may show a password dialog that waits for the operator.
constexpr int kInteractiveTimeoutMs = 5 * 60 * 1000;
constexpr int kDefaultTimeout = -1;

// The session managers that can end a session without their confirmation dialog, in the order tried.
// GNOME's name is also owned by MATE's and Cinnamon's session managers.
struct SessionManager {
    QString name;
    QString path;
    QString interface;
    QString method;
    QVariantList arguments;
};

const std::vector<SessionManager>& sessionManagers() {
    static const std::vector<SessionManager> managers = {
        {QStringLiteral("org.gnome.SessionManager"),
         QStringLiteral("/org/gnome/SessionManager"),
         QStringLiteral("org.gnome.SessionManager"),
         QStringLiteral("Logout"),
         {QVariant::fromValue(uint(1))}},  // 1: no confirmation
        {QStringLiteral("org.kde.Shutdown"),
         QStringLiteral("/Shutdown"),
         QStringLiteral("org.kde.Shutdown"),
         QStringLiteral("logout"),
         {}},
        {QStringLiteral("org.xfce.SessionManager"),
         QStringLiteral("/org/xfce/SessionManager"),
         QStringLiteral("org.xfce.Session.Manager"),
         QStringLiteral("Logout"),
         {false, true}},  // no dialog, let applications save
    };
    return managers;
}

QString errorText(const QDBusError& error) {
    if (!error.message().isEmpty())
        return error.message();
    if (!error.name().isEmpty())
        return error.name();
    return QStringLiteral("D-Bus错误");
}

QString unreachable(const QDBusConnection& bus) {
    const QString why = bus.lastError().message();
    return why.isEmpty() ? QStringLiteral("无法连接D-Bus总线") : why;
}

}  // namespace

void PowerReply::finish(const QString& error) {
    if (finished_)
        return;
    finished_ = true;
    emit done(error.isEmpty(), error);
    deleteLater();
}

void PowerReply::finishLater(const QString& error) {
    QMetaObject::invokeMethod(
        this, [this, error] { finish(error); }, Qt::QueuedConnection);
}

LogindPower::LogindPower(QDBusConnection system, QDBusConnection session, QObject* parent)
    : Power(parent), system_(std::move(system)), session_(std::move(session)) {}

PowerReply* LogindPower::shutdown(bool interactive) {
    return manager(QStringLiteral("PowerOff"), interactive);
}

PowerReply* LogindPower::restart(bool interactive) {
    return manager(QStringLiteral("Reboot"), interactive);
}

PowerReply* LogindPower::manager(const QString& method, bool interactive) {
    auto* reply = new PowerReply(this);
    QDBusMessage message = QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager, method);
    message << interactive;
    message.setInteractiveAuthorizationAllowed(interactive);
    call(system_, message, interactive ? kInteractiveTimeoutMs : kDefaultTimeout, reply);
    return reply;
}

PowerReply* LogindPower::logoff() {
    auto* reply = new PowerReply(this);
    if (!session_.isConnected()) {
        logoffThrough({}, reply);
        return reply;
    }
    const QDBusMessage list = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    auto* watcher = new QDBusPendingCallWatcher(session_.asyncCall(list), reply);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, reply](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> names = *w;
        logoffThrough(names.isError() ? QStringList() : names.value(), reply);
    });
    return reply;
}

void LogindPower::logoffThrough(const QStringList& sessionBusNames, PowerReply* reply) {
    for (const SessionManager& m : sessionManagers()) {
        if (!sessionBusNames.contains(m.name))
            continue;
        QDBusMessage message = QDBusMessage::createMethodCall(m.name, m.path, m.interface, m.method);
        message.setArguments(m.arguments);
        call(session_, message, kDefaultTimeout, reply);
        return;
    }
    call(system_, QDBusMessage::createMethodCall(kLogind, kOwnSession, kSession, QStringLiteral("Terminate")),
         kDefaultTimeout, reply);
}

void LogindPower::call(const QDBusConnection& bus, const QDBusMessage& message, int timeoutMs,
                       PowerReply* reply) {
    if (!bus.isConnected()) {
        reply->finishLater(unreachable(bus));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs), reply);
    connect(watcher, &QDBusPendingCallWatcher::finished, reply, [reply](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        reply->finish(w->isError() ? errorText(w->error()) : QString());
    });
}

}  // namespace quel
