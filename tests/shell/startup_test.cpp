// Start-up of the main window on a temporary program folder: the reset, every repair, the menu ticks
// and the single-instance rule, checked on the files' exact bytes.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"

using namespace quel;
using namespace quel::fakes;

namespace {

QByteArray quoted(const QString& s) { return fileformat::quotedLine(s); }

// A program folder as the program is installed: the data folders exist, no settings yet.
struct Folder {
    Folder() {
        QDir d(dir.path());
        for (const char* sub : {"DayTimeTable", "PlayListFile", "toll/A", "SayTimeWav/M"}) d.mkpath(QString::fromLatin1(sub));
        DiskFiles().write(path("timeup.mp3"), "mp3");
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QByteArray bytes(const QString& name) const { return DiskFiles().read(path(name)).value_or("<missing>"); }
    void put(const QString& name, const QByteArray& b) const { DiskFiles().write(path(name), b); }
    QTemporaryDir dir;
};

// Every settings file as a good earlier run left it.
void writeIntactSettings(const Folder& f) {
    const QString p = f.dir.path();
    f.put(settings::kResetSystem, "1\r\n");
    f.put(settings::kAutoRun, quoted("NO"));
    f.put(settings::kTimeSet, quoted("second"));
    f.put(settings::kToll, quoted(QStringLiteral("开") + p + "/toll/B/B"));
    f.put(settings::kShow, quoted("show"));
    f.put(settings::kShut, quoted(QStringLiteral("关30")));
    f.put(settings::kRestart, quoted(QStringLiteral("开60")));
    f.put(settings::kLogoff, quoted(QStringLiteral("开")));
    f.put(settings::kPlayOrder, quoted("1"));
    f.put(settings::kPlayerActive, "1\r\n");
    f.put(settings::kDefaultDtt, quoted(p + "/DayTimeTable/Default.DTT"));
    f.put(settings::kDefaultPlf, quoted("Reset_System_OK"));
    f.put(settings::kUserWav, quoted(p + "/timeup.mp3"));
    f.put(settings::kInterval, "950\r\n");
    f.put(settings::kRadio, "1\r\n");
    f.put(settings::kDefaultTable,
          quoted(QStringLiteral("|9:00:00*没有注释>每月1日<校时|10:00:00*早操>星期一<校时|8:00:00*没有注释>每天<校时")));
}

bool ticked(MainWindow& w, const char* name) { return w.menus().action(QString::fromLatin1(name))->isChecked(); }
QString caption(MainWindow& w, const char* name) { return w.menus().action(QString::fromLatin1(name))->text(); }

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunWritesTheResetDefaults() {
        Folder f;
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        const QString p = f.dir.path();
        QCOMPARE(f.bytes(settings::kResetSystem), QByteArray("1\r\n"));
        QCOMPARE(f.bytes(settings::kAutoRun), quoted("YES"));
        QCOMPARE(f.bytes(settings::kTimeSet), quoted("minute"));
        QCOMPARE(f.bytes(settings::kToll), quoted(QStringLiteral("关") + p + "/toll/A/A"));
        QCOMPARE(f.bytes(settings::kShow), quoted("show"));
        for (const QString& name : {settings::kShut, settings::kRestart, settings::kLogoff})
            QCOMPARE(f.bytes(name), quoted(QStringLiteral("开60")));
        QCOMPARE(f.bytes(settings::kPlayOrder), quoted("1"));
        QCOMPARE(f.bytes(settings::kPlayerActive), QByteArray("1\r\n"));
        QCOMPARE(f.bytes(settings::kDefaultTable), QByteArray("\"\"\r\n"));
        QCOMPARE(f.bytes(settings::kDefaultPlayList), QByteArray());
        // Start-up replaces the reset marker by the default table's path.
        QCOMPARE(f.bytes(settings::kDefaultDtt), quoted(p + "/DayTimeTable/Default.DTT"));
        QCOMPARE(f.bytes(settings::kDefaultPlf), quoted("Reset_System_OK"));
        QCOMPARE(f.bytes(settings::kUserWav), quoted(p + "/timeup.mp3"));
        QCOMPARE(f.bytes(settings::kInterval), QByteArray("1000\r\n"));
        QCOMPARE(f.bytes(settings::kRadio), QByteArray("1\r\n"));
        QCOMPARE(fake.autostart.calls, QStringList{"enable /opt/quelbrook/quelbrook"});

        QVERIFY(ticked(w, "AUTORUNYES") && !ticked(w, "AUTORUNNO"));
        QVERIFY(ticked(w, "MenuTollOff") && !ticked(w, "MenuTollOn"));
        QVERIFY(ticked(w, "MenuTollRingChooseA"));
        QVERIFY(ticked(w, "Min") && !ticked(w, "Sec") && !ticked(w, "Hou"));
        QVERIFY(ticked(w, "FormShow"));
        QVERIFY(w.isVisible());
        QCOMPARE(w.table().entries().size(), 0);
        QCOMPARE(w.table().currentPath(), p + "/DayTimeTable/Default.DTT");
        QCOMPARE(w.findChild<QLabel*>("Label2")->text(), QStringLiteral("文件:Default.DTT"));
        QVERIFY(!w.findChild<QPushButton*>("Command7")->isEnabled());
        QCOMPARE(w.findChild<QPushButton*>("Command7")->toolTip(),
                 QStringLiteral("当前默认的全天时间表文件是：") + p + "/DayTimeTable/Default.DTT");
        QCOMPARE(w.windowTitle(), QStringLiteral("Quelbrook    版本 7.0.253"));
        QVERIFY(fake.tray.isShown());
        // The title with the version, then what rings next: nothing, in an empty table.
        QCOMPARE(fake.tray.tip(), QStringLiteral("Quelbrook(版本 7.0.253)\n下一项 无"));
        QVERIFY(fake.dialogs.messages.isEmpty());
    }

    void anIntactFolderIsOnlyRead() {
        Folder f;
        writeIntactSettings(f);
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(fake.files.writes, QStringList());
        QVERIFY(fake.autostart.calls.isEmpty());
        QVERIFY(ticked(w, "AUTORUNNO") && !ticked(w, "AUTORUNYES"));
        QVERIFY(ticked(w, "MenuTollOn") && ticked(w, "MenuTollRingChooseB"));
        QVERIFY(ticked(w, "Sec"));
        QCOMPARE(w.clockTick().interval(), 950);
        QCOMPARE(w.powerStrings().shutdown, QStringLiteral("关30"));
        QVERIFY(ticked(w, "MenuShutDownWindowsFormOff") && !ticked(w, "MenuShutDownWindowsFormOn"));
        QCOMPARE(caption(w, "MenuShutDownWindowsWaitTimeCurrent"), QStringLiteral("当前值:30秒"));
        QCOMPARE(caption(w, "MenuRestartWaitTimeCurrent"), QStringLiteral("当前值:60秒"));
        QCOMPARE(caption(w, "MenuLogoffWaitTimeCurrent"), QStringLiteral("当前值:秒"));
        QCOMPARE(w.radioLineIn(), qint16(1));
        // The table is shown sorted: weekday, then every day, then monthly.
        QCOMPARE(w.table().entries(),
                 QStringList({QStringLiteral("10:00:00*早操>星期一<校时"), QStringLiteral("8:00:00*没有注释>每天<校时"),
                              QStringLiteral("9:00:00*没有注释>每月1日<校时")}));
    }

    void repairs_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");  // "<delete>" removes the file
        QTest::addColumn<QByteArray>("repaired");  // "%P" stands for the program folder
        QTest::addColumn<int>("writes");
        QTest::addRow("a chime setting without 开 or 关 turns the chime on with sound A")
            << settings::kToll << QByteArray("\"x\"\r\n") << quoted(QStringLiteral("开%P/toll/A/A")) << 1;
        QTest::addRow("a missing chime setting likewise") << settings::kToll << QByteArray("<delete>")
                                                         << quoted(QStringLiteral("开%P/toll/A/A")) << 1;
        QTest::addRow("a capital Minute is not minute") << settings::kTimeSet << quoted("Minute") << quoted("minute") << 1;
        QTest::addRow("an empty alarm sound is the built-in one") << settings::kUserWav << QByteArray("")
                                                                  << quoted("%P/timeup.mp3") << 1;
        QTest::addRow("a default table that names no file falls back")
            << settings::kDefaultDtt << quoted("/nowhere/x.DTT") << quoted("%P/DayTimeTable/Default.DTT") << 1;
        // The path in DefaultDTT.txt then names no file either, so it is written again as well.
        QTest::addRow("a missing default table is made anew") << settings::kDefaultTable << QByteArray("<delete>")
                                                              << QByteArray("\"\"\r\n") << 2;
    }
    void repairs() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, repaired);
        QFETCH(int, writes);
        Folder f;
        writeIntactSettings(f);
        if (content == "<delete>")
            QFile::remove(f.path(file));
        else
            f.put(file, content);
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(f.bytes(file), repaired.replace("%P", f.dir.path().toUtf8()));
        QVERIFY(fake.files.writes.contains(f.path(file)));
        QCOMPARE(fake.files.writes.size(), writes);
    }

    void theAlarmUnitRepairShowsTheCountingCaption() {
        Folder f;
        writeIntactSettings(f);
        f.put(settings::kTimeSet, quoted("Minute"));
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(w.menus().menu("UnitName")->title(), QStringLiteral("计时:分"));
        QCOMPARE(w.menus().menu("RingSet")->title(), QStringLiteral("闹铃"));
        QVERIFY(ticked(w, "Min"));
    }

    void anUnreadableDefaultTableIsLeftAlone() {
        Folder f;
        writeIntactSettings(f);
        FakePlatform fake(f.dir.path());
        fake.files.unreadable << f.path(settings::kDefaultTable);
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(fake.files.writes, QStringList());
        QCOMPARE(w.table().entries().size(), 0);
    }

    void tickIntervalFallsBackToASecond_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("interval");
        QTest::addRow("missing") << QByteArray("<delete>") << 1000;
        QTest::addRow("zero would stop the clock") << QByteArray("0\r\n") << 1000;
        QTest::addRow("negative") << QByteArray("-5\r\n") << 1000;
        QTest::addRow("not a number") << QByteArray("abc\r\n") << 1000;
        QTest::addRow("a saved interval") << QByteArray("1300\r\n") << 1300;
    }
    void tickIntervalFallsBackToASecond() {
        QFETCH(QByteArray, content);
        QFETCH(int, interval);
        Folder f;
        writeIntactSettings(f);
        if (content == "<delete>")
            QFile::remove(f.path(settings::kInterval));
        else
            f.put(settings::kInterval, content);
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(w.clockTick().interval(), interval);
        QVERIFY(!fake.files.writes.contains(f.path(settings::kInterval)));
    }

    void aSecondInstanceSaysSoAndEnds() {
        Folder f;
        writeIntactSettings(f);
        f.put(settings::kToll, quoted("x"));  // would be repaired by a first instance
        FakePlatform fake(f.dir.path());
        fake.instance.otherRunning = true;
        MainWindow w(fake.platform);
        QVERIFY(!w.load());
        QCOMPARE(fake.dialogs.messages.size(), 1);
        QCOMPARE(fake.dialogs.messages[0].text, QStringLiteral("Quelbrook(版本 7.0.253)已运行！"));
        QCOMPARE(fake.dialogs.messages[0].title, QStringLiteral("Quelbrook"));
        QCOMPARE(fake.dialogs.messages[0].icon, MessageIcon::Information);
        QCOMPARE(fake.instance.activations, 1);
        QVERIFY(!fake.tray.isShown());
        QVERIFY(fake.files.writes.isEmpty());
        QVERIFY(!w.clockTick().isActive());
    }

    void aSecondStartAlsoDoesADueReset() {
        Folder f;
        FakePlatform fake(f.dir.path());
        fake.instance.otherRunning = true;
        MainWindow w(fake.platform);
        QVERIFY(!w.load());
        QCOMPARE(f.bytes(settings::kResetSystem), QByteArray("1\r\n"));
    }

    void hiddenAtStartWithATray() {
        Folder f;
        writeIntactSettings(f);
        f.put(settings::kShow, quoted("hide"));
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QVERIFY(!w.isVisible());
        QVERIFY(ticked(w, "FormHide") && !ticked(w, "FormShow"));
        QVERIFY(fake.tray.isShown());
        fake.tray.click();
        QVERIFY(w.isVisible());
    }

    void hiddenAtStartWithoutATrayStaysReachable() {
        Folder f;
        writeIntactSettings(f);
        f.put(settings::kShow, quoted("hide"));
        FakePlatform fake(f.dir.path());
        fake.tray.available = false;
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QVERIFY(w.isVisible());
        // Minimized once it is on the screen, where a window manager takes the request.
        QTRY_VERIFY(w.isMinimized());
    }

    void uptimeLabelBeforeTheFirstTick() {
        Folder f;
        writeIntactSettings(f);
        FakePlatform fake(f.dir.path());
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(9, 0, 0)));  // a Wednesday
        fake.clock.setBoot((2 * 3600 + 5 * 60 + 59) * 1000LL);
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QCOMPARE(w.findChild<QLabel*>("Label5")->text(), QStringLiteral("开机2时5分 星期三"));
    }

    void startWithTheSessionOnAndOff() {
        Folder f;
        writeIntactSettings(f);
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        w.menus().action("AUTORUNYES")->trigger();
        QCOMPARE(f.bytes(settings::kAutoRun), quoted("YES"));
        QVERIFY(fake.autostart.enabled);
        QVERIFY(ticked(w, "AUTORUNYES") && !ticked(w, "AUTORUNNO"));
        w.menus().action("AUTORUNNO")->trigger();
        QCOMPARE(f.bytes(settings::kAutoRun), quoted("NO"));
        QVERIFY(!fake.autostart.enabled);
        QVERIFY(ticked(w, "AUTORUNNO") && !ticked(w, "AUTORUNYES"));
    }

    void menuTreeNamesAndPlaces() {
        Folder f;
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QStringList bar;
        for (QAction* a : w.menuBar()->actions()) bar << a->text();
        QCOMPARE(bar, QStringList({"系统", "敲钟", "闹铃", "播音", "收音机", "校时"}));
        QStringList tray;
        for (QAction* a : w.menus().tray->actions())
            if (!a->isSeparator()) tray << a->objectName();
        QCOMPARE(tray, QStringList({"SoftEdit", "Hindme", "ShowWin", "MenuzExit"}));
        QCOMPARE(w.menus().exitMenu->actions().size(), 1);
        QCOMPARE(caption(w, "MenuShutDownWindowsWaitTimeNew"), QStringLiteral("自定义"));
        QCOMPARE(caption(w, "MenuLogoffFormon"), QStringLiteral("开"));
        QCOMPARE(caption(w, "MenuJustMyTimeByHand"), QStringLiteral("间隔设置"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
