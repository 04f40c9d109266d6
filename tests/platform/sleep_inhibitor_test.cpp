// The hold against sleep, asked of a mock login manager on a private bus.

#include <QDBusArgument>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/private_bus.h"
#include "history/keep_awake.h"
#include "platform/files.h"
#include "platform/sleep_inhibitor.h"

using namespace quel;

namespace {
constexpr int kWait = 10000;
}

class SleepInhibitorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void aHoldForSleepAndIdleIsTakenAndLetGo();
    void turnedOffWhileAskingLeavesNoHold();
    void keepAwakeTakesTheHoldAtStartAndLetsGoWhenTurnedOff();
    void keepAwakeTurnedOffAtStartAsksNothing();
    void withoutALoginManagerNothingHappens();
    void withoutABusNothingHappens();

private:
    // "what who why mode" of every hold the login manager keeps.
    QStringList holds();

    fakes::PrivateBus bus_;
    QDBusConnection connection_{QString()};
};

void SleepInhibitorTest::initTestCase() {
    QVERIFY(bus_.start());
    QVERIFY(bus_.startMock(QStringLiteral("org.freedesktop.login1"), QStringLiteral("logind.log"),
                           {QStringLiteral("--template"), QStringLiteral("logind")}));
    connection_ = bus_.connection();
    QVERIFY(connection_.isConnected());
}

QStringList SleepInhibitorTest::holds() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"));
    const QDBusMessage reply = connection_.call(call);
    QStringList list;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {QStringLiteral("error: ") + reply.errorMessage()};
    const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        arg.beginStructure();
        arg >> what >> who >> why >> mode >> uid >> pid;
        arg.endStructure();
        list << QStringList{what, who, why, mode}.join(QLatin1Char(' '));
    }
    arg.endArray();
    return list;
}

void SleepInhibitorTest::aHoldForSleepAndIdleIsTakenAndLetGo() {
    LogindInhibitor inhibitor(connection_);
    QSignalSpy changed(&inhibitor, &SleepInhibitor::heldChanged);
    inhibitor.hold();
    QTRY_VERIFY_WITH_TIMEOUT(inhibitor.isHeld(), kWait);
    QCOMPARE(holds(), QStringList{QStringLiteral("sleep:idle Quelbrook 按时间表打铃 block")});
    inhibitor.hold();  // asked twice, held once
    QCOMPARE(holds().size(), 1);
    inhibitor.release();
    QVERIFY(!inhibitor.isHeld());
    // The login manager lets go as soon as it sees the descriptor closed.
    QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList(), kWait);
    QCOMPARE(changed.size(), 2);
}

void SleepInhibitorTest::turnedOffWhileAskingLeavesNoHold() {
    LogindInhibitor inhibitor(connection_);
    inhibitor.hold();
    inhibitor.release();
    QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.isAsking(), kWait);
    QVERIFY(!inhibitor.isHeld());
    QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList(), kWait);
}

void SleepInhibitorTest::keepAwakeTakesTheHoldAtStartAndLetsGoWhenTurnedOff() {
    QTemporaryDir dir;
    DiskFiles files;
    const QString setting = dir.filePath(QStringLiteral("KeepAwake.txt"));
    LogindInhibitor inhibitor(connection_);
    KeepAwake keepAwake(inhibitor, SettingsStore(files, dir.path()));
    keepAwake.load();  // no setting yet: on
    QVERIFY(keepAwake.isOn());
    QTRY_COMPARE_WITH_TIMEOUT(holds().size(), 1, kWait);
    keepAwake.setOn(false);
    QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList(), kWait);
    QCOMPARE(*files.read(setting), QByteArray("\"NO\"\r\n"));
    keepAwake.setOn(true);
    QTRY_COMPARE_WITH_TIMEOUT(holds().size(), 1, kWait);
    QCOMPARE(*files.read(setting), QByteArray("\"YES\"\r\n"));
    inhibitor.release();
    QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList(), kWait);
}

void SleepInhibitorTest::keepAwakeTurnedOffAtStartAsksNothing() {
    QTemporaryDir dir;
    DiskFiles files;
    const QString setting = dir.filePath(QStringLiteral("KeepAwake.txt"));
    QVERIFY(files.writeText(setting, QStringLiteral("NO")));
    LogindInhibitor inhibitor(connection_);
    KeepAwake keepAwake(inhibitor, SettingsStore(files, dir.path()));
    keepAwake.load();
    QVERIFY(!keepAwake.isOn());
    QVERIFY(!inhibitor.isAsking());
    QCOMPARE(holds(), QStringList());
}

void SleepInhibitorTest::withoutALoginManagerNothingHappens() {
    fakes::PrivateBus empty;
    QVERIFY(empty.start());
    QDBusConnection connection = empty.connection();
    {
        LogindInhibitor inhibitor(connection);
        inhibitor.hold();
        QVERIFY(inhibitor.isAsking());
        QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.isAsking(), kWait);
        QVERIFY(!inhibitor.isHeld());
        inhibitor.release();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("empty"));
}

void SleepInhibitorTest::withoutABusNothingHappens() {
    LogindInhibitor inhibitor(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none")));
    inhibitor.hold();
    QVERIFY(!inhibitor.isAsking());
    QVERIFY(!inhibitor.isHeld());
}

QTEST_GUILESS_MAIN(SleepInhibitorTest)
#include "sleep_inhibitor_test.moc"
