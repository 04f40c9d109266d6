// Whether the machine's clock is kept: timedated over a private bus, chrony's account as the fallback.

#include <QTemporaryDir>
#include <QTest>

#include "campus/clock_state.h"
#include "campus_fixture.h"
#include "fakes/private_bus.h"

using namespace quel::campus;
using Sync = ClockState::Sync;

class ClockStateTest : public QObject {
    Q_OBJECT
private slots:
    void chronyTracking_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Sync>("sync");
        const QString head = QStringLiteral(
            "Reference ID    : C0A80001 (192.168.0.1)\nStratum         : 3\n"
            "System time     : 0.000012 seconds fast of NTP time\n");
        QTest::addRow("kept") << head + QStringLiteral("Leap status     : Normal\n") << Sync::Synchronized;
        QTest::addRow("a leap second ahead")
            << head + QStringLiteral("Leap status     : Insert second\n") << Sync::Synchronized;
        QTest::addRow("no server reached") << QStringLiteral(
                                                  "Reference ID    : 00000000 ()\nStratum         : 0\n"
                                                  "Leap status     : Not synchronised\n")
                                           << Sync::NotSynchronized;
        QTest::addRow("chronyd not running")
            << QStringLiteral("506 Cannot talk to daemon\n") << Sync::Unknown;
        QTest::addRow("nothing") << QString() << Sync::Unknown;
    }
    void chronyTracking() {
        QFETCH(QString, text);
        QFETCH(Sync, sync);
        QCOMPARE(parseChronyTracking(text).sync, sync);
    }

    void timedated_data() {
        QTest::addColumn<bool>("ntp");
        QTest::addColumn<Sync>("sync");
        QTest::addRow("synchronised") << true << Sync::Synchronized;
        QTest::addRow("not synchronised") << false << Sync::NotSynchronized;
    }
    void timedated() {
        QFETCH(bool, ntp);
        QFETCH(Sync, sync);
        if (!quel::fakes::PrivateBus::available())
            QSKIP("dbus-daemon or python3-dbusmock is not installed");
        quel::fakes::PrivateBus bus;
        QVERIFY(bus.start());
        QVERIFY(bus.startMock(
            QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("timedated.log"),
            {QStringLiteral("--template"), QStringLiteral("timedated"), QStringLiteral("--parameters"),
             ntp ? QStringLiteral("{\"NTP\": true}") : QStringLiteral("{\"NTP\": false}")}));
        SystemClockState reader(bus.connection(), QStringLiteral("/nonexistent/chronyc"));
        QCOMPARE(reader.read().sync, sync);
    }

    // Without a bus and without chrony nothing can be told: unknown, never "synchronised".
    void nothingToAsk() {
        SystemClockState reader(QDBusConnection(QStringLiteral("quelbrook-no-bus")),
                                QStringLiteral("/nonexistent/chronyc"));
        QCOMPARE(reader.read().sync, Sync::Unknown);
    }
};

QTEST_GUILESS_MAIN(ClockStateTest)
#include "clock_state_test.moc"
