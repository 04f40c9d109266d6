#include "platform/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/log.h"

namespace quel {

Q_LOGGING_CATEGORY(lcInhibit, "quel.inhibit")

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
}  // namespace

LogindInhibitor::LogindInhibitor(QDBusConnection bus, QObject* parent)
    : SleepInhibitor(parent), bus_(std::move(bus)) {}

LogindInhibitor::~LogindInhibitor() = default;

void LogindInhibitor::hold() {
    wanted_ = true;
    if (!isHeld() && !asking_)
        ask();
}

void LogindInhibitor::release() {
    wanted_ = false;
    if (!isHeld())
        return;
    fd_ = QDBusUnixFileDescriptor();
    emit heldChanged(false);
}

// Asked without waiting: start-up must not stand still for a login manager that is slow to answer.
void LogindInhibitor::ask() {
    if (!bus_.isConnected()) {
        qCDebug(lcInhibit) << "No bus: the computer may sleep";
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Inhibit"));
    call << kWhat << kWho << kWhy << kMode;
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        asking_ = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError()) {
            qCDebug(lcInhibit) << "No hold against sleep:" << reply.error().message();
            return;
        }
        // Turned off while the answer was on its way: the descriptor closes with the reply.
        if (!wanted_)
            return;
        fd_ = reply.value();
        if (isHeld())
            emit heldChanged(true);
    });
}

}  // namespace quel
