// The real quelbrook with 关机, 重启 and 注销 entries, on a private bus where a mock login manager and a
// mock session manager record what reaches them. The machine's own buses are never touched.

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/file_bytes.h"
#include "fakes/private_bus.h"
#include "program_process.h"

using quel::fakes::PrivateBus;

namespace {

using quel::testing::quoted;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The seconds since the epoch at which a mock logged each call of `method`.
QList<double> callTimes(const QString& log, const QString& method) {
    QList<double> times;
    for (const QByteArray& line : readAll(log).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 2 && fields[1] == method.toUtf8())
            times << fields[0].toDouble();
    }
    return times;
}

QTime wholeSecond(QTime t) {
    return t.addMSecs(-t.msec());
}

// A program folder with one table, the given settings, and times a few seconds after the splash
// will have handed over.
class Folder {
public:
    // Whole seconds: the table names whole seconds, and the lateness is measured from the one named.
    Folder() : start_(wholeSecond(QTime::currentTime())) {
        QDir(dir_.path()).mkpath("DayTimeTable");
        const QString script = dir_.filePath("mark.sh");
        writeFile(script, "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/markers.txt\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(dir_.filePath("ResetSystem.txt"), "1\r\n");
        writeFile(dir_.filePath("show.txt"), quoted("show"));
        for (const char* name : {"Shut.txt", "Restart.txt", "Logoff.txt"})
            writeFile(dir_.filePath(name), quoted(QStringLiteral("开60")));
    }
    QString home() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString at(int seconds) const { return start_.addSecs(seconds).toString("H:mm:ss"); }
    double epochAt(int seconds) const {
        return QDateTime(QDate::currentDate(), start_.addSecs(seconds)).toMSecsSinceEpoch() / 1000.0;
    }
    QString mark(const QString& word) const {
        return QStringLiteral("执行程序") + dir_.filePath("mark.sh") + " " + word;
    }
    void table(const QList<std::pair<int, QString>>& entries) {
        QString text;
        for (const auto& [seconds, response] : entries)
            text += "|" + at(seconds) + QStringLiteral("*没有注释>每天<") + response;
        const QString table = dir_.filePath("DayTimeTable/power.DTT");
        writeFile(table, quoted(text));
        writeFile(dir_.filePath("DefaultDTT.txt"), quoted(table));
    }

private:
    QTemporaryDir dir_;
    QTime start_;
};

// The real program with the private bus as both its system and its session bus.
QProcessEnvironment onBus(const PrivateBus& bus) {
    QProcessEnvironment env;
    bus.pointAtThisBus(env);
    return env;
}

}  // namespace

using quel::e2e::Program;

class PowerProgramTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateBus> bus_;
    QString logindLog_;

private slots:
    void init() {
        if (!PrivateBus::available())
            QSKIP("dbus-daemon or python3-dbusmock is not installed");
        bus_ = std::make_unique<PrivateBus>();
        QVERIFY(bus_->start());
        QVERIFY(bus_->startMock("org.freedesktop.login1", "logind.log", {"--template", "logind"}));
        logindLog_ = bus_->logPath("logind.log");
    }
    void cleanup() { bus_.reset(); }

    void shutdownAtOnceAsksOnceAndTheScheduleGoesOn() {
        Folder f;
        writeFile(f.path("Shut.txt"), quoted(QStringLiteral("关60")));
        f.table({{9, QStringLiteral("关机")}, {12, f.mark("after")}});
        Program program(f.home(), onBus(*bus_));
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(readAll(f.path("markers.txt")).contains("after\n"), 40000);
        const QList<double> calls = callTimes(logindLog_, "PowerOff");
        QCOMPARE(calls.size(), 1);
        const double late = calls[0] - f.epochAt(9);
        qInfo("PowerOff %.3f s after its entry's second", late);
        // The tick may run a little before the wall second turns.
        QVERIFY2(late >= -0.5 && late <= 1.5, qPrintable(QString::number(late)));
        // Not interactive: nobody may be there to type a password at night.
        QVERIFY(readAll(logindLog_).contains(" PowerOff False\n"));
        QCOMPARE(program.process.state(), QProcess::Running);
    }

    void restartAfterItsWindowCountedDown() {
        Folder f;
        writeFile(f.path("Restart.txt"), quoted(QStringLiteral("开2")));
        f.table({{9, QStringLiteral("重启")}, {18, f.mark("after")}});
        Program program(f.home(), onBus(*bus_));
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(readAll(f.path("markers.txt")).contains("after\n"), 40000);
        // The window requested once, about three seconds after it opened, and stood still afterwards.
        const QList<double> calls = callTimes(logindLog_, "Reboot");
        QCOMPARE(calls.size(), 1);
        const double late = calls[0] - f.epochAt(9);
        qInfo("Reboot %.3f s after its entry's second", late);
        QVERIFY2(late >= 2 && late <= 4.5, qPrintable(QString::number(late)));
        QCOMPARE(program.process.state(), QProcess::Running);
    }

    void logoffEndsTheProgramAfterTheSessionManagerAccepted() {
        QVERIFY(bus_->startMock("org.gnome.SessionManager", "gnome.log",
                                {"--session", "org.gnome.SessionManager", "/org/gnome/SessionManager",
                                 "org.gnome.SessionManager"}));
        QDBusMessage add =
            QDBusMessage::createMethodCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                           "org.freedesktop.DBus.Mock", "AddMethod");
        add.setArguments({QString(), QStringLiteral("Logout"), QStringLiteral("u"), QString(), QString()});
        QCOMPARE(bus_->connection().call(add).type(), QDBusMessage::ReplyMessage);

        Folder f;
        writeFile(f.path("Logoff.txt"), quoted(QStringLiteral("关60")));
        f.table({{9, QStringLiteral("注销")}});
        Program program(f.home(), onBus(*bus_));
        QVERIFY(program.process.waitForStarted(10000));
        QVERIFY(program.process.waitForFinished(40000));
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 0);
        QCOMPARE(callTimes(bus_->logPath("gnome.log"), "Logout").size(), 1);
        QVERIFY(readAll(bus_->logPath("gnome.log")).contains(" Logout 1\n"));
        QCOMPARE(callTimes(logindLog_, "Terminate").size(), 0);
    }
};

QTEST_GUILESS_MAIN(PowerProgramTest)
#include "power_test.moc"
