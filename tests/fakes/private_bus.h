#pragma once

// A private D-Bus daemon for one test, and python-dbusmock services on it. The daemon's configuration
// names no service folders, so nothing real is ever activated on it; one daemon stands for both the
// system and the session bus. Everything started here is stopped by its process id.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

namespace quel::fakes {

class PrivateBus {
public:
    static constexpr char kPython[] = "/usr/bin/python3";
    static constexpr char kDaemon[] = "/usr/bin/dbus-daemon";

    // dbus-daemon and python3-dbusmock are installed.
    static bool available() {
        if (!QFileInfo(QString::fromLatin1(kDaemon)).isExecutable())
            return false;
        QProcess probe;
        probe.start(QString::fromLatin1(kPython), {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
               probe.exitCode() == 0;
    }

    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        for (auto& mock : mocks_)
            stop(*mock);
        mocks_.clear();
        if (!connectionName_.isEmpty())
            QDBusConnection::disconnectFromBus(connectionName_);
        stop(daemon_);
    }

    // Starts the daemon and waits until it gives its address. False when it does not.
    bool start() {
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        // No <servicedir>: nothing is ever activated on this bus.
        f.write(QStringLiteral(
                    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig>\n"
                    "  <type>session</type>\n"
                    "  <listen>unix:path=%1/bus</listen>\n"
                    "  <auth>EXTERNAL</auth>\n"
                    "  <policy context=\"default\">\n"
                    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                    "    <allow eavesdrop=\"true\"/>\n"
                    "    <allow own=\"*\"/>\n"
                    "  </policy>\n"
                    "</busconfig>\n")
                    .arg(dir_.path())
                    .toUtf8());
        f.close();
        daemon_.start(QString::fromLatin1(kDaemon),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        const QDeadlineTimer deadline(10000);
        while (!daemon_.canReadLine() && !deadline.hasExpired()) {
            if (!daemon_.waitForReadyRead(int(deadline.remainingTime())))
                break;
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        if (address_.isEmpty())
            return false;
        connectionName_ = QStringLiteral("quelbrook-test-bus-%1").arg(daemon_.processId());
        return connection().isConnected();
    }

    QString address() const { return address_; }
    QDBusConnection connection() const { return QDBusConnection::connectToBus(address_, connectionName_); }
    QString logPath(const QString& name) const { return dir_.filePath(name); }

    // Environment for a process that must find this bus as both its system and its session bus.
    void pointAtThisBus(QProcessEnvironment& env) const {
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    }

    // `python3 -m dbusmock <arguments>` on this bus, logging its calls to logPath(log); waits until it
    // owns `name`. False when it does not within a few seconds.
    bool startMock(const QString& name, const QString& log, const QStringList& arguments) {
        auto mock = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        pointAtThisBus(env);
        mock->setProcessEnvironment(env);
        mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock->start(QString::fromLatin1(kPython),
                    QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("-l"),
                                logPath(log)} +
                        arguments);
        mocks_.push_back(std::move(mock));
        return waitForName(name);
    }

    bool waitForName(const QString& name) const {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (connection().interface()->isServiceRegistered(name))
                return true;
            QCoreApplication::processEvents();
            QThread::msleep(20);
        }
        return false;
    }

private:
    static void stop(QProcess& process) {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString connectionName_;
    std::vector<std::unique_ptr<QProcess>> mocks_;
};

}  // namespace quel::fakes
