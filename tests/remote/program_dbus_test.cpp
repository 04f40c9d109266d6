// The running program's control interface on a private bus, the main window on fakes: why today's
// table applies comes from the school calendar, and a change of day reaches whoever watches.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "fakes/private_bus.h"
#include "platform/settings_names.h"
#include "remote/dbus_control.h"
#include "shell/main_window.h"
#include "shell/remote_wiring.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QByteArray kSummer =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:t\r\n"
    "BEGIN:VEVENT\r\nUID:s\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20250501\r\n"
    "DTEND;VALUE=DATE:20251001\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:夏季作息\r\nCATEGORIES:作息\r\n"
    "X-QUELBROOK-TABLE:Summer.DTT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

}  // namespace

class ProgramDBusTest : public QObject {
    Q_OBJECT
public slots:
    void propertiesChanged(const QDBusMessage& message) {
        const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().value(1));
        if (changed.contains(QStringLiteral("TodayReason")))
            announced_ << changed.value(QStringLiteral("TodayReason")).toString();
    }

private slots:
    void init() {
        if (!QFileInfo(QString::fromLatin1(PrivateBus::kDaemon)).isExecutable())
            QSKIP("dbus-daemon is not installed");
        dir_ = std::make_unique<QTemporaryDir>();
        QDir(dir_->path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        files.writeText(path(settings::kDefaultTable), QStringLiteral("|8:00:00*默认>每天</bells/d.wav"));
        files.writeText(path(QStringLiteral("DayTimeTable/Summer.DTT")),
                        QStringLiteral("|8:00:00*夏>每天</bells/s.wav"));
        bus_ = std::make_unique<PrivateBus>();
        QVERIFY(bus_->start());
    }
    void cleanup() {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        control_.reset();
        window_.reset();
        fake_.reset();
        bus_.reset();
        dir_.reset();
    }

    // TodayReason on the first day and after the program clock passed midnight into the next.
    void todayReason_data() {
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<bool>("holidays");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("next");
        QTest::addRow("no calendar set up says nothing") << false << false << ""
                                                         << "";
        QTest::addRow("a season, then the default table after it")
            << true << false << "夏季作息（Summer.DTT）"
            << "默认作息表";
        QTest::addRow("a season, then the national day with the holidays on")
            << true << true << "夏季作息（Summer.DTT）"
            << "国庆节，不打铃";
    }
    void todayReason() {
        QFETCH(bool, calendar);
        QFETCH(bool, holidays);
        QFETCH(QString, first);
        QFETCH(QString, next);
        if (calendar)
            DiskFiles().write(path(QStringLiteral("SchoolCalendar.ics")), kSummer);
        if (holidays) {
            DiskFiles().writeText(path(QStringLiteral("Holidays.txt")), QStringLiteral("YES"));
            QFile shipped(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt"));
            QVERIFY(shipped.open(QIODevice::ReadOnly));
            DiskFiles().write(path(QStringLiteral("NationalHolidays.txt")), shipped.readAll());
        }
        start(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 58)));
        QCOMPARE(property(QStringLiteral("TodayReason")), first);

        QDBusConnection watcher = client();
        QVERIFY(watcher.connect(
            QString(), DBusControl::kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage))));
        announced_.clear();
        for (int i = 0; i < 4; ++i) {
            fake_->clock.advance(window_->clockTick().interval());
            window_->clockTick().tick();
        }
        QCOMPARE(property(QStringLiteral("TodayReason")), next);
        if (calendar)
            QTRY_VERIFY_WITH_TIMEOUT(announced_.contains(next), 5000);
    }

private:
    QString path(const QString& name) const { return dir_->path() + QLatin1Char('/') + name; }
    void start(const QDateTime& at) {
        fake_ = std::make_unique<FakePlatform>(dir_->path());
        fake_->clock.set(at);
        window_ = std::make_unique<MainWindow>(fake_->platform);
        QVERIFY(window_->load());
        control_ = std::make_unique<DBusControl>(window_->attachRemote());
        QVERIFY(control_->publish(bus_->connection()));
    }
    QDBusConnection client() const {
        return QDBusConnection::connectToBus(bus_->address(), QStringLiteral("client"));
    }
    QString property(const QString& name) {
        QDBusMessage get = QDBusMessage::createMethodCall(DBusControl::kService, DBusControl::kPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"))
                           << DBusControl::kInterface << name;
        QDBusPendingCall call = client().asyncCall(get);
        const QDeadlineTimer deadline(5000);
        while (!call.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return call.reply().arguments().value(0).value<QDBusVariant>().variant().toString();
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<DBusControl> control_;
    QStringList announced_;
};

QTEST_MAIN(ProgramDBusTest)
#include "program_dbus_test.moc"
