// The power service against a mock login manager and session manager on a private bus: what reaches
// the bus, in which order it is tried, and that every refusal comes back as a failure.

#include <QDBusArgument>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

#include "fakes/private_bus.h"
#include "platform/power.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kOwnSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kGnome = QStringLiteral("org.gnome.SessionManager");
const QString kGnomePath = QStringLiteral("/org/gnome/SessionManager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

// The outcome of one request: "ok", or "failed: <error>".
QString outcome(PowerReply* reply) {
    QSignalSpy done(reply, &PowerReply::done);
    if (!done.wait(10000))
        return QStringLiteral("no answer");
    if (done.size() != 1)
        return QStringLiteral("answered %1 times").arg(done.size());
    const QList<QVariant> args = done.takeFirst();
    if (args.at(0).toBool())
        return args.at(1).toString().isEmpty() ? QStringLiteral("ok")
                                               : QStringLiteral("ok with an error text");
    const QString error = args.at(1).toString();
    return error.isEmpty() ? QStringLiteral("failed without a reason") : QStringLiteral("failed: ") + error;
}

}  // namespace

class PowerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateBus> bus_;

    // The calls an object of a mock received, as "Method arg …".
    QStringList callsOn(const QString& service, const QString& path) {
        const QDBusMessage reply = bus_->connection().call(
            QDBusMessage::createMethodCall(service, path, kMock, QStringLiteral("GetCalls")));
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {QStringLiteral("GetCalls failed: ") + reply.errorMessage()};
        QStringList calls;
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QString method;
            QVariantList args;
            list.beginStructure();
            list >> time >> method >> args;
            list.endStructure();
            QStringList line{method};
            for (const QVariant& a : args)
                line << a.toString();
            calls << line.join(QLatin1Char(' '));
        }
        list.endArray();
        return calls;
    }

    bool mockCall(const QString& service, const QString& path, const QString& method,
                  const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, kMock, method);
        m.setArguments(args);
        const QDBusMessage reply = bus_->connection().call(m);
        if (reply.type() != QDBusMessage::ReplyMessage)
            qWarning() << method << reply.errorMessage();
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    void startLogind() {
        QVERIFY(bus_->startMock(kLogind, QStringLiteral("logind.log"),
                                {QStringLiteral("--template"), QStringLiteral("logind")}));
        // The session this process would be in, so that "auto" names it.
        QVERIFY(mockCall(
            kLogind, kManagerPath, QStringLiteral("AddSession"),
            {QStringLiteral("auto"), QStringLiteral("seat0"), 1000u, QStringLiteral("operator"), true}));
        QVERIFY(mockCall(kLogind, kManagerPath, QStringLiteral("ClearCalls"), {}));
    }

    // A session manager that owns `name` and answers `method` on its main object.
    void startSessionManager(const QString& name, const QString& path, const QString& interface,
                             const QString& method, const QString& signature) {
        QVERIFY(bus_->startMock(name, name + QStringLiteral(".log"),
                                {QStringLiteral("--session"), name, path, interface}));
        QVERIFY(mockCall(name, path, QStringLiteral("AddMethod"),
                         {QString(), method, signature, QString(), QString()}));
    }

private slots:
    void init() {
        if (QTest::currentTestFunction() == QByteArrayLiteral("everyRequestFailsWithoutABus"))
            return;
        if (!PrivateBus::available())
            QSKIP("dbus-daemon or python3-dbusmock is not installed");
        bus_ = std::make_unique<PrivateBus>();
        QVERIFY(bus_->start());
    }
    void cleanup() { bus_.reset(); }

    void shutdownAndRestartAskTheLoginManager() {
        startLogind();
        LogindPower p(bus_->connection(), bus_->connection());
        QCOMPARE(outcome(p.shutdown(false)), QStringLiteral("ok"));
        QCOMPARE(outcome(p.restart(true)), QStringLiteral("ok"));
        QCOMPARE(callsOn(kLogind, kManagerPath), (QStringList{"PowerOff false", "Reboot true"}));
    }

    void logoffGoesToTheSessionManagerAndLeavesTheSessionAlone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("call");
        QTest::addRow("GNOME, MATE and Cinnamon log out without confirmation")
            << kGnome << kGnomePath << kGnome << "Logout"
            << "u"
            << "Logout 1";
        QTest::addRow("KDE logs out") << "org.kde.Shutdown"
                                      << "/Shutdown"
                                      << "org.kde.Shutdown"
                                      << "logout"
                                      << ""
                                      << "logout";
        QTest::addRow("Xfce logs out without its dialog, letting programs save") << "org.xfce.SessionManager"
                                                                                 << "/org/xfce/SessionManager"
                                                                                 << "org.xfce.Session.Manager"
                                                                                 << "Logout"
                                                                                 << "bb"
                                                                                 << "Logout false true";
    }
    void logoffGoesToTheSessionManagerAndLeavesTheSessionAlone() {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, method);
        QFETCH(QString, signature);
        QFETCH(QString, call);
        startLogind();
        startSessionManager(name, path, interface, method, signature);
        LogindPower p(bus_->connection(), bus_->connection());
        QCOMPARE(outcome(p.logoff()), QStringLiteral("ok"));
        QCOMPARE(callsOn(name, path), QStringList{call});
        QCOMPARE(callsOn(kLogind, kOwnSessionPath), QStringList{});
    }

    void logoffWithoutASessionManagerEndsTheOwnSession() {
        startLogind();
        LogindPower p(bus_->connection(), bus_->connection());
        QCOMPARE(outcome(p.logoff()), QStringLiteral("ok"));
        QCOMPARE(callsOn(kLogind, kOwnSessionPath), QStringList{"Terminate"});
        QCOMPARE(callsOn(kLogind, kManagerPath), QStringList{});
    }

    void aRefusalIsAFailureWithTheSystemsReason() {
        startLogind();
        QVERIFY(mockCall(
            kLogind, kManagerPath, QStringLiteral("AddMethod"),
            {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"),
             QStringLiteral("b"), QString(),
             QStringLiteral("raise dbus.exceptions.DBusException('Interactive authentication required.', "
                            "name='org.freedesktop.login1.InteractiveAuthorizationRequired')")}));
        LogindPower p(bus_->connection(), bus_->connection());
        QCOMPARE(outcome(p.shutdown(false)), QStringLiteral("failed: Interactive authentication required."));
        // The other requests are not affected.
        QCOMPARE(outcome(p.restart(false)), QStringLiteral("ok"));
    }

    void noLoginManagerOnTheBusIsAFailure() {
        LogindPower p(bus_->connection(), bus_->connection());
        QVERIFY(outcome(p.shutdown(false)).startsWith(QStringLiteral("failed: ")));
        QVERIFY(outcome(p.logoff()).startsWith(QStringLiteral("failed: ")));
    }

    // A machine without D-Bus must not crash the program.
    void everyRequestFailsWithoutABus() {
        const QDBusConnection none = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/quelbrook-bus"), QStringLiteral("none"));
        QVERIFY(!none.isConnected());
        LogindPower p(none, none);
        QVERIFY(outcome(p.shutdown(false)).startsWith(QStringLiteral("failed: ")));
        QVERIFY(outcome(p.restart(true)).startsWith(QStringLiteral("failed: ")));
        QVERIFY(outcome(p.logoff()).startsWith(QStringLiteral("failed: ")));
    }
};

QTEST_GUILESS_MAIN(PowerTest)
#include "power_test.moc"
