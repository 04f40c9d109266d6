#include <QDBusPendingCall>
#include <QXmlStreamReader>
#include <QtTest>

#include "fake_remote_actions.h"
#include "fakes/private_bus.h"
#include "remote/dbus_control.h"

using namespace quel;

class DBusControlTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!QFileInfo(QString::fromLatin1(fakes::PrivateBus::kDaemon)).isExecutable())
            QSKIP("dbus-daemon is not installed");
        bus_ = std::make_unique<fakes::PrivateBus>();
        QVERIFY(bus_->start());
        actions_ = std::make_unique<fakes::FakeRemoteActions>();
        control_ = std::make_unique<DBusControl>(*actions_);
        QVERIFY(control_->publish(bus_->connection()));
        client_ = QDBusConnection::connectToBus(bus_->address(), QStringLiteral("client"));
        QVERIFY(client_.isConnected());
    }
    void cleanup() {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        control_.reset();
        actions_.reset();
        bus_.reset();
    }

    // Each method reaches its action with its arguments; a refusal comes back as the bus's error with
    // the program's own words, never as a success.
    void methods_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("error");
        QTest::addRow("Ring a file") << "Ring" << QVariantList{"/srv/a.wav"} << false
                                     << QStringList{"ring /srv/a.wav"} << "";
        QTest::addRow("Ring the built-in tone")
            << "Ring" << QVariantList{""} << false << QStringList{"ring "} << "";
        QTest::addRow("Next") << "Next" << QVariantList{} << false << QStringList{"next"} << "";
        QTest::addRow("Skip") << "Skip" << QVariantList{} << false << QStringList{"skip"} << "";
        QTest::addRow("Broadcast shuffled") << "Broadcast" << QVariantList{"Morning", true} << false
                                            << QStringList{"broadcast Morning random"} << "";
        QTest::addRow("Broadcast a missing list")
            << "Broadcast" << QVariantList{"Nowhere", false} << false << QStringList{"broadcast refused"}
            << DBusControl::kRefused;
        QTest::addRow("Stop") << "Stop" << QVariantList{} << false << QStringList{"stop"} << "";
        QTest::addRow("Say female") << "Say" << QVariantList{"female"} << false << QStringList{"say female"}
                                    << "";
        QTest::addRow("Say with an unknown voice reaches nothing")
            << "Say" << QVariantList{"robot"} << false << QStringList{}
            << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::addRow("StartEmergency")
            << "StartEmergency" << QVariantList{} << false << QStringList{"emergency on"} << "";
        QTest::addRow("StopEmergency refused") << "StopEmergency" << QVariantList{} << true
                                               << QStringList{"emergency off"} << DBusControl::kRefused;
    }
    void methods() {
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(bool, refuse);
        QFETCH(QStringList, calls);
        QFETCH(QString, error);
        actions_->missingLists = QStringList{QStringLiteral("Nowhere")};
        if (refuse)
            actions_->answer = {false, QStringLiteral("不行")};
        QDBusMessage call = QDBusMessage::createMethodCall(DBusControl::kService, DBusControl::kPath,
                                                           DBusControl::kInterface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = callAndWait(call);
        QCOMPARE(actions_->calls, calls);
        if (error.isEmpty()) {
            QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
            QCOMPARE(reply.arguments().value(0).toString(), QStringLiteral("好"));
        } else {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), error);
            QVERIFY(!reply.errorMessage().isEmpty());
        }
    }

    // The day's state as properties, and each change announced without being asked for.
    void propertiesAndTheirChanges() {
        actions_->state.todayTable = QStringLiteral("Winter.DTT");
        actions_->state.nextEntries =
            QStringList{QStringLiteral("08:00:00 打铃"), QStringLiteral("08:45:00 下课")};
        QDBusMessage all =
            callAndWait(QDBusMessage::createMethodCall(DBusControl::kService, DBusControl::kPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("GetAll"))
                        << DBusControl::kInterface);
        const QVariantMap values = qdbus_cast<QVariantMap>(all.arguments().value(0));
        QCOMPARE(values.value(QStringLiteral("TodayTable")).toString(), QStringLiteral("Winter.DTT"));
        QCOMPARE(values.value(QStringLiteral("NextEntries")).toStringList(), actions_->state.nextEntries);
        QCOMPARE(values.value(QStringLiteral("Emergency")).toBool(), false);

        QVERIFY(client_.connect(DBusControl::kService, DBusControl::kPath,
                                QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), this,
                                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
        actions_->state.emergency = true;
        emit actions_->statusChanged();
        QTRY_VERIFY_WITH_TIMEOUT(changed_.contains(QStringLiteral("Emergency")), 5000);
        QCOMPARE(changed_.value(QStringLiteral("Emergency")).toBool(), true);
    }

    void eachFiredEntryIsASignal() {
        QVERIFY(client_.connect(DBusControl::kService, DBusControl::kPath, DBusControl::kInterface,
                                QStringLiteral("EntryFired"), this, SLOT(onEntryFired(QString, QString))));
        actions_->fire(QStringLiteral("8:00:00"), QStringLiteral("/srv/toll/A/A3.WAV"));
        QTRY_COMPARE_WITH_TIMEOUT(fired_, QStringList{QStringLiteral("8:00:00 /srv/toll/A/A3.WAV")}, 5000);
    }

    // The interface file in the sources describes what the program really offers: every method with
    // its arguments, every signal and property.
    void theInterfaceFileMatchesTheProgram() {
        QFile file(QStringLiteral(QUEL_CONTROL_XML));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList documented = members(QString::fromUtf8(file.readAll()));
        const QDBusMessage live = callAndWait(QDBusMessage::createMethodCall(
            DBusControl::kService, DBusControl::kPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
            QStringLiteral("Introspect")));
        QCOMPARE(members(live.arguments().value(0).toString()), documented);
        QVERIFY(documented.size() > 10);
    }

    // A second program (another program folder) finds the name taken and goes on without it; the
    // first keeps answering.
    void aSecondProgramLeavesTheNameAlone() {
        fakes::FakeRemoteActions other;
        QDBusConnection second = QDBusConnection::connectToBus(bus_->address(), QStringLiteral("second"));
        {
            DBusControl control(other, nullptr);
            QVERIFY(!control.publish(second));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("second"));
        callAndWait(QDBusMessage::createMethodCall(DBusControl::kService, DBusControl::kPath,
                                                   DBusControl::kInterface, QStringLiteral("Skip")));
        QCOMPARE(actions_->calls, QStringList{QStringLiteral("skip")});
        QVERIFY(other.calls.isEmpty());
    }

public slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == DBusControl::kInterface)
            changed_ = changed;
    }
    void onEntryFired(const QString& time, const QString& response) {
        fired_ << time + QLatin1Char(' ') + response;
    }

private:
    // The service answers on this thread's event loop, so the call waits while that loop runs.
    QDBusMessage callAndWait(const QDBusMessage& call) {
        QDBusPendingCall pending = client_.asyncCall(call, 5000);
        const QDeadlineTimer deadline(6000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return pending.reply();
    }

    // One line per member of the interface, sorted: "method Say voice:s -> s". Qt names no return value
    // and lists it first, so only the types of what a method gives back count; a signal's arguments
    // all go out, whatever direction a file gives them.
    static QStringList members(const QString& xml) {
        QStringList out;
        QXmlStreamReader r(xml);
        bool inside = false;
        QString current;
        bool signal = false;
        QStringList returns;
        const auto is = [&r](const char* name) { return r.name() == QLatin1String(name); };
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && is("interface"))
                inside = r.attributes().value(QLatin1String("name")) == DBusControl::kInterface;
            if (!inside)
                continue;
            const auto a = r.attributes();
            const auto value = [&a](const char* name) { return a.value(QLatin1String(name)).toString(); };
            if (r.isStartElement() && (is("method") || is("signal"))) {
                current = r.name().toString() + QLatin1Char(' ') + value("name");
                signal = is("signal");
                returns.clear();
            } else if (r.isStartElement() && is("arg")) {
                if (!signal && value("direction") == QLatin1String("out"))
                    returns << value("type");
                else
                    current += QStringLiteral(" %1:%2").arg(value("name"), value("type"));
            } else if (r.isEndElement() && (is("method") || is("signal"))) {
                out << current + (returns.isEmpty()
                                      ? QString()
                                      : QStringLiteral(" -> ") + returns.join(QLatin1Char(',')));
            } else if (r.isStartElement() && is("property")) {
                out << QStringLiteral("property %1 %2 %3").arg(value("name"), value("type"), value("access"));
            }
        }
        out.sort();
        return out;
    }

    std::unique_ptr<fakes::PrivateBus> bus_;
    std::unique_ptr<fakes::FakeRemoteActions> actions_;
    std::unique_ptr<DBusControl> control_;
    QDBusConnection client_{QString()};
    QVariantMap changed_;
    QStringList fired_;
};

QTEST_GUILESS_MAIN(DBusControlTest)
#include "dbus_control_test.moc"
