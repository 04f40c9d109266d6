// The real program left to itself while its wall clock is moved under it (libfaketime, with an offset
// file it reads on every look at the clock; the monotonic clocks stay true, as a real clock step
// leaves them), and while a mock login manager watches for its hold against sleep.

#include <QDBusArgument>
#include <QDBusMessage>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/private_bus.h"
#include "program_process.h"

using namespace quel::e2e;

namespace {

constexpr int kWaitMs = 60000;
const QString kFakeTime = QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1");

// A program folder whose entries run a script that writes the entry's name and the (faked) time.
struct Home {
    Home() {
        QDir(dir.path()).mkpath("DayTimeTable");
        writeFile(path("mark.sh"),
                  "#!/bin/sh\necho \"$1 $(date +%s.%N)\" >> \"$(dirname \"$0\")/markers.txt\"\n");
        QFile::setPermissions(path("mark.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(path("ResetSystem.txt"), "1\r\n");
        writeFile(path("show.txt"), quoted("show"));
        writeFile(path("DefaultDTT.txt"), quoted(path("DayTimeTable/t.DTT")));
        setOffset(0);
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    // Each entry `name` rings at `at`.
    void table(const QList<std::pair<QString, QDateTime>>& entries) const {
        QString text;
        for (const auto& [name, at] : entries) {
            text += QStringLiteral("|") + at.time().toString("H:mm:ss") + QLatin1Char('*') + name +
                    QStringLiteral(">每天<执行程序") + path("mark.sh") + QLatin1Char(' ') + name;
        }
        writeFile(path("DayTimeTable/t.DTT"), quoted(text));
    }
    // Written whole and renamed into place, so the clock never reads half an offset.
    void setOffset(int seconds) const {
        QSaveFile f(path("faketime.rc"));
        f.open(QIODevice::WriteOnly);
        f.write((seconds < 0 ? QByteArray::number(seconds) : "+" + QByteArray::number(seconds)) + "\n");
        f.commit();
    }
    QProcessEnvironment fakedClock() const {
        QProcessEnvironment env;
        env.insert("LD_PRELOAD", kFakeTime);
        env.insert("FAKETIME_TIMESTAMP_FILE", path("faketime.rc"));
        env.insert("FAKETIME_NO_CACHE", "1");
        env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        // Under the sanitizers the clock's library is preloaded ahead of theirs, which they would refuse.
        const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        env.insert("ASAN_OPTIONS", (asan.isEmpty() ? asan : asan + ":") + "verify_asan_link_order=0");
        return env;
    }
    // name -> the faked times it rang at
    QMap<QString, QList<double>> markers() const {
        QMap<QString, QList<double>> m;
        for (const QByteArray& line : readAll(path("markers.txt")).split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                m[QString::fromUtf8(parts[0])] << parts[1].toDouble();
        }
        return m;
    }
    QString history(const QDate& month) const {
        return QString::fromUtf8(readAll(path("History/" + month.toString("yyyy-MM") + ".log")));
    }
    QTemporaryDir dir;
};

double epoch(const QDateTime& t) {
    return t.toMSecsSinceEpoch() / 1000.0;
}

// One reading of the clock, cut to its second: two readings could straddle a second and put every
// time of the test a second off.
QDateTime wholeSecondNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.addMSecs(-now.time().msec());
}

}  // namespace

class UnattendedEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QFile::exists(kFakeTime))
            QSKIP("libfaketime is not installed");
    }

    void twoHoursForwardReSyncsAndTellsWhatWasMissed() {
        Home home;
        const QDateTime start = wholeSecondNow();
        const QDateTime a = start.addSecs(12), missed = start.addSecs(3600), b = start.addSecs(7200 + 30);
        home.table({{"A", a}, {"M", missed}, {"B", b}});
        Program program(home.dir.path(), home.fakedClock());
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(home.markers().contains("A"), kWaitMs);
        home.setOffset(7200);
        QTRY_VERIFY_WITH_TIMEOUT(home.markers().contains("B"), kWaitMs);
        const QMap<QString, QList<double>> markers = home.markers();
        QCOMPARE(markers.keys(), (QStringList{"A", "B"}));
        QCOMPARE(markers["B"].size(), 1);
        // On its second, as the steering keeps it: up to a little over a second early, hardly late.
        const double late = markers["B"].first() - epoch(b);
        qInfo() << "B rang" << late << "s after its second";
        QVERIFY2(late > -1.35 && late < 1.0, qPrintable(QString::number(late)));
        const QString history = home.history(missed.date());
        QVERIFY2(history.contains(missed.toString("yyyy-MM-dd HH:mm:ss") + "\t时间表\t" +
                                  missed.time().toString("H:mm:ss") + " M 执行程序"),
                 qPrintable(history));
        QVERIFY2(history.contains("\t错过\r\n"), qPrintable(history));
        QVERIFY2(history.contains("（系统时钟改了整点数）\t完成\r\n"), qPrintable(history));
    }

    void tenMinutesBackOnTheSecondRingsNothingTwice() {
        Home home;
        writeFile(home.path("OnTheSecond.txt"), quoted("YES"));
        const QDateTime start = wholeSecondNow();
        const QDateTime a = start.addSecs(12), c = start.addSecs(14), d = start.addSecs(26);
        home.table({{"A", a}, {"C", c}, {"D", d}});
        Program program(home.dir.path(), home.fakedClock());
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(home.markers().contains("C"), kWaitMs);
        // Ten minutes back; three seconds later most of the way forward again, to a second before A:
        // the clock reads A's and C's seconds a second time.
        const qint64 realBefore = QDateTime::currentSecsSinceEpoch();
        home.setOffset(-600);
        QTest::qWait(3000);
        home.setOffset(int(a.toSecsSinceEpoch() - 1 - QDateTime::currentSecsSinceEpoch()));
        QVERIFY(QDateTime::currentSecsSinceEpoch() - realBefore < 10);
        QTRY_VERIFY_WITH_TIMEOUT(home.markers().contains("D"), kWaitMs);
        QTest::qWait(1500);
        const QMap<QString, QList<double>> markers = home.markers();
        QCOMPARE(markers.keys(), (QStringList{"A", "C", "D"}));
        for (const QString& name : markers.keys())
            QVERIFY2(markers[name].size() == 1, qPrintable(name));
        // On the system's second: the tick a few milliseconds after it, then the script's own start.
        const double late = markers["D"].first() - epoch(d);
        qInfo() << "D rang" << late << "s after its second";
        QVERIFY2(late >= 0 && late < 0.5, qPrintable(QString::number(late)));
        QVERIFY(home.history(start.date()).contains("（系统时钟跳变）\t完成\r\n"));
    }

    void theHoldAgainstSleepIsTakenAtStart() {
        quel::fakes::PrivateBus bus;
        QVERIFY(bus.start());
        QVERIFY(bus.startMock("org.freedesktop.login1", "logind.log", {"--template", "logind"}));
        Home home;
        home.table({});
        QProcessEnvironment env;
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
        Program program(home.dir.path(), env);
        QVERIFY(program.process.waitForStarted(10000));
        QDBusConnection connection = bus.connection();
        auto holds = [&] {
            const QDBusMessage reply = connection.call(
                QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                               "org.freedesktop.login1.Manager", "ListInhibitors"));
            QStringList list;
            if (reply.type() != QDBusMessage::ReplyMessage)
                return list;
            const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
            arg.beginArray();
            while (!arg.atEnd()) {
                QString what, who, reason, mode;
                uint uid = 0, pid = 0;
                arg.beginStructure();
                arg >> what >> who >> reason >> mode >> uid >> pid;
                arg.endStructure();
                list << QStringList{what, who, reason, mode}.join(' ');
            }
            arg.endArray();
            return list;
        };
        QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList{"sleep:idle Quelbrook 按时间表打铃 block"}, kWaitMs);
        // The program ends: the login manager lets go with it.
        program.process.terminate();
        QVERIFY(program.process.waitForFinished(10000));
        QTRY_COMPARE_WITH_TIMEOUT(holds(), QStringList(), kWaitMs);
    }
};

QTEST_GUILESS_MAIN(UnattendedEndToEnd)
#include "unattended_test.moc"
