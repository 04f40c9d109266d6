// The real quelbrook, started with QUELBROOK_HOME on a temporary folder: what a first start writes,
// and a table whose entries run programs and hand over to a second table at the right second.

#include <QTemporaryDir>
#include <QtTest>

#include "program_process.h"

using namespace quel::e2e;

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartOnAnEmptyFolder() {
        QTemporaryDir dir;
        const QString home = dir.path();
        Program program(home);
        QVERIFY(program.process.waitForStarted(10000));
        // The splash stands for five seconds before the main window loads and reads the settings.
        QTRY_VERIFY_WITH_TIMEOUT(readAll(home + "/DefaultDTT.txt").contains("Default.DTT"), 30000);
        QCOMPARE(readAll(home + "/ResetSystem.txt"), QByteArray("1\r\n"));
        QCOMPARE(readAll(home + "/AutoRunYesNo.txt"), quoted("YES"));
        QCOMPARE(readAll(home + "/timeset.txt"), quoted("minute"));
        QCOMPARE(readAll(home + "/Toll.txt"), quoted(QStringLiteral("关") + home + "/toll/A/A"));
        QCOMPARE(readAll(home + "/show.txt"), quoted("show"));
        QCOMPARE(readAll(home + "/Shut.txt"), quoted(QStringLiteral("开60")));
        QCOMPARE(readAll(home + "/Restart.txt"), quoted(QStringLiteral("开60")));
        QCOMPARE(readAll(home + "/Logoff.txt"), quoted(QStringLiteral("开60")));
        QCOMPARE(readAll(home + "/PlayOrder.txt"), quoted("1"));
        QCOMPARE(readAll(home + "/PlayerActive.txt"), QByteArray("1\r\n"));
        QCOMPARE(readAll(home + "/DefaultDTT.txt"), quoted(home + "/DayTimeTable/Default.DTT"));
        QCOMPARE(readAll(home + "/DefaultPLF.txt"), quoted("Reset_System_OK"));
        QCOMPARE(readAll(home + "/Userwav.txt"), quoted(home + "/timeup.mp3"));
        QCOMPARE(readAll(home + "/Interval.txt"), QByteArray("1000\r\n"));
        QCOMPARE(readAll(home + "/Radio.txt"), QByteArray("1\r\n"));
        QCOMPARE(readAll(home + "/DayTimeTable/Default.DTT"), QByteArray("\"\"\r\n"));
        QCOMPARE(readAll(home + "/PlayListFile/Default.PLF"), QByteArray());
        // The program folder was filled with the installed sounds.
        QVERIFY(QFile::exists(home + "/toll/C/C12.WAV"));
        QVERIFY(QFile::exists(home + "/SayTimeWav/F/F59.wav"));
        QVERIFY(QFile::exists(home + "/timeup.mp3"));
        // Started at login, the program must find the same folder.
        QVERIFY2(readAll(home + "/.config/autostart/io.github.quelbrook.quelbrook.desktop")
                     .contains("\nExec=env QUELBROOK_HOME=" + home.toUtf8() + " /"),
                 readAll(home + "/.config/autostart/io.github.quelbrook.quelbrook.desktop").constData());
        QCOMPARE(program.process.state(), QProcess::Running);
    }

    void entriesRunProgramsAndHandOverToAnotherTable() {
        QTemporaryDir dir;
        const QString home = dir.path();
        QDir(home).mkpath("DayTimeTable");
        const QString script = home + "/mark.sh";
        writeFile(script, "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/markers.txt\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // Times a few seconds after the splash will have handed over.
        const QTime start = QTime::currentTime();
        auto at = [&](int seconds) { return start.addSecs(seconds).toString("H:mm:ss"); };
        const QDate today = QDate::currentDate();
        const QString otherWeekday =
            QStringLiteral("星期") + QString("一二三四五六日")[today.addDays(1).dayOfWeek() - 1];
        const QString first = home + "/DayTimeTable/first.DTT";
        const QString second = home + "/DayTimeTable/second.DTT";
        auto entry = [](const QString& time, const QString& attribute, const QString& response) {
            return "|" + time + QStringLiteral("*没有注释>") + attribute + "<" + response;
        };
        const QString run = QStringLiteral("执行程序") + script + " ";
        writeFile(first, quoted(entry(at(9), QStringLiteral("每天"), run + "A") +
                                entry(at(10), otherWeekday, run + "not-today") +
                                entry(at(11), QStringLiteral("每天"), QStringLiteral("打开表") + second) +
                                entry(at(14), QStringLiteral("每天"), run + "left-behind")));
        writeFile(second, quoted(entry(at(13), QStringLiteral("每天"), run + "B")));
        writeFile(home + "/ResetSystem.txt", "1\r\n");
        writeFile(home + "/DefaultDTT.txt", quoted(first));
        writeFile(home + "/show.txt", quoted("show"));

        Program program(home);
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(readAll(home + "/markers.txt").contains("B\n"), 40000);
        // Past the last entry of the first table: it must not fire after the hand-over.
        const QTime waitUntil = start.addSecs(16);
        QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime() >= waitUntil || QTime::currentTime() < start, 20000);
        QCOMPARE(readAll(home + "/markers.txt"), QByteArray("A\nB\n"));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "program_test.moc"
