#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <optional>

#include "remote/remote_actions.h"

namespace quel {

// The program's control interface on the session bus (io.github.quelbrook.Quelbrook1.xml beside this
// file): the actions of RemoteActions as methods, the day's state as properties, each fired entry as a
// signal. The methods' names are the bus's, so they break the naming of the rest of the code.
class DBusControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quelbrook.Quelbrook1")
    Q_PROPERTY(QString TodayTable READ todayTable)
    Q_PROPERTY(QString TodayReason READ todayReason)
    Q_PROPERTY(QStringList NextEntries READ nextEntries)
    Q_PROPERTY(QString Playing READ playing)
    Q_PROPERTY(bool Emergency READ emergency)
public:
    static inline const QString kService = QStringLiteral("io.github.quelbrook.Quelbrook1");
    static inline const QString kPath = QStringLiteral("/io/github/quelbrook/Quelbrook1");
    static inline const QString kInterface = kService;
    static inline const QString kRefused = QStringLiteral("io.github.quelbrook.Quelbrook1.Error.Refused");

    explicit DBusControl(RemoteActions& actions, QObject* parent = nullptr);
    ~DBusControl() override;

    // Puts the object on `bus` and takes the name. False when either is refused (another program folder's
    // instance holds the name); the program then goes on without it.
    bool publish(const QDBusConnection& bus);

    QString todayTable() const { return actions_.status().todayTable; }
    QString todayReason() const { return actions_.status().todayReason; }
    QStringList nextEntries() const { return actions_.status().nextEntries; }
    QString playing() const { return actions_.status().playing; }
    bool emergency() const { return actions_.status().emergency; }

public slots:
    QString Ring(const QString& file);
    QString Next();
    QString Skip();
    QString Broadcast(const QString& playList, bool random);
    QString Stop();
    QString Say(const QString& voice);
    QString StartEmergency();
    QString StopEmergency();

signals:
    void EntryFired(const QString& time, const QString& response);

private:
    QString reply(const ActionResult& result);
    void announceProperties();

    RemoteActions& actions_;
    std::optional<QDBusConnection> bus_;
};

}  // namespace quel
