#pragma once

// A private D-Bus daemon, and mock services on it from python3-dbusmock, for tests that must talk to a
// login manager without reaching the machine's own. The daemon's configuration names no service
// folders, so nothing real is ever activated on it. Every process is stopped by its own id.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace quel::fakes {

class PrivateBus {
public:
    static constexpr int kStartTimeoutMs = 15000;

    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        for (auto& p : mocks_)
            stop(*p);
        stop(daemon_);
    }

    // Starts the daemon; the empty text on success, otherwise what went wrong.
    QString start() {
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write the bus configuration");
        // No service folders, so nothing real is activated; anyone may own and call anything.
        const QString xml =
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig>\n"
                "  <type>session</type>\n"
                "  <listen>unix:dir=%1</listen>\n"
                "  <auth>EXTERNAL</auth>\n"
                "  <policy context=\"default\">\n"
                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                "    <allow eavesdrop=\"true\"/>\n"
                "    <allow own=\"*\"/>\n"
                "  </policy>\n"
                "</busconfig>\n")
                .arg(dir_.path());
        file.write(xml.toUtf8());
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(kStartTimeoutMs))
            return QStringLiteral("dbus-daemon did not start");
        QDeadlineTimer deadline(kStartTimeoutMs);
        while (!daemon_.canReadLine() && !deadline.hasExpired())
            daemon_.waitForReadyRead(100);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        if (address_.isEmpty())
            return QStringLiteral("dbus-daemon told no address");
        return QString();
    }

    const QString& address() const { return address_; }

    // A connection of the test's own, under `name`.
    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

    // Starts `python3 -m dbusmock --template <template>` with the daemon as its system bus and waits until
    // `service` answers; the empty text on success.
    QString startMock(const QString& templateName, const QString& service) {
        auto mock = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        mock->setProcessEnvironment(env);
        mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock->start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), templateName,
             QStringLiteral("-l"), dir_.filePath(templateName + QStringLiteral(".log"))});
        if (!mock->waitForStarted(kStartTimeoutMs))
            return QStringLiteral("dbusmock did not start");
        mocks_.push_back(std::move(mock));
        QDBusConnection bus = connect(QStringLiteral("private-bus-watch"));
        QDeadlineTimer deadline(kStartTimeoutMs);
        while (!bus.interface()->isServiceRegistered(service) && !deadline.hasExpired())
            QTest::qWait(50);
        const bool up = bus.interface()->isServiceRegistered(service);
        QDBusConnection::disconnectFromBus(QStringLiteral("private-bus-watch"));
        return up ? QString() : service + QStringLiteral(" did not come up");
    }

private:
    static void stop(QProcess& p) {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }

    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    std::vector<std::unique_ptr<QProcess>> mocks_;
};

}  // namespace quel::fakes
