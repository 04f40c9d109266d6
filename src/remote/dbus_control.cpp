#include "remote/dbus_control.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace quel {

DBusControl::DBusControl(RemoteActions& actions, QObject* parent) : QObject(parent), actions_(actions) {
    connect(&actions_, &RemoteActions::entryFired, this, &DBusControl::EntryFired);
    connect(&actions_, &RemoteActions::statusChanged, this, &DBusControl::announceProperties);
}

DBusControl::~DBusControl() {
    if (!bus_)
        return;
    bus_->unregisterObject(kPath);
    bus_->unregisterService(kService);
}

bool DBusControl::publish(const QDBusConnection& bus) {
    QDBusConnection b = bus;
    if (!b.isConnected())
        return false;
    if (!b.registerObject(kPath, this,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties))
        return false;
    if (!b.registerService(kService)) {
        b.unregisterObject(kPath);
        return false;
    }
    bus_ = b;
    return true;
}

QString DBusControl::reply(const ActionResult& result) {
    if (!result.ok && calledFromDBus())
        sendErrorReply(kRefused, result.message);
    return result.message;
}

QString DBusControl::Ring(const QString& file) {
    return reply(actions_.ringNow(file));
}
QString DBusControl::Next() {
    return reply(actions_.next());
}
QString DBusControl::Skip() {
    return reply(actions_.skipNext());
}
QString DBusControl::Broadcast(const QString& playList, bool random) {
    return reply(actions_.broadcast(playList, random));
}
QString DBusControl::Stop() {
    return reply(actions_.stop());
}
QString DBusControl::Say(const QString& voice) {
    if (voice != QLatin1String("male") && voice != QLatin1String("female")) {
        const QString message = QStringLiteral("声音只能是 male 或 female,不是 %1").arg(voice);
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, message);
        return message;
    }
    return reply(actions_.say(voice == QLatin1String("female")));
}
QString DBusControl::StartEmergency() {
    return reply(actions_.emergency(true));
}
QString DBusControl::StopEmergency() {
    return reply(actions_.emergency(false));
}

// Whoever watches the state (a panel applet, a script with `gdbus monitor`) learns of a change without
// polling. Every property goes along: the status is one small struct, read once.
void DBusControl::announceProperties() {
    if (!bus_)
        return;
    const RemoteStatus s = actions_.status();
    const QVariantMap changed{{QStringLiteral("TodayTable"), s.todayTable},
                              {QStringLiteral("TodayReason"), s.todayReason},
                              {QStringLiteral("NextEntries"), s.nextEntries},
                              {QStringLiteral("Playing"), s.playing},
                              {QStringLiteral("Emergency"), s.emergency}};
    QDBusMessage signal = QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kInterface << changed << QStringList();
    bus_->send(signal);
}

}  // namespace quel
