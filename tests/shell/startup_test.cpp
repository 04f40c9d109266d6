// Start-up of the main window on a temporary program folder: the reset, every repair, the menu ticks
// and the single-instance rule, checked on the files' exact bytes.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "fakes/odd_files.h"
#include "platform/settings_names.h"
#include "power/power_off.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/reset_defaults.h"

using namespace quel;
using namespace quel::fakes;

namespace {

QByteArray quoted(const QString& s) {
    return fileformat::quotedLine(s);
}

// A program folder as the program is installed: the data folders exist, no settings yet.
struct Folder {
    Folder() {
        QDir d(dir.path());
        for (const char* sub : {"DayTimeTable", "PlayListFile", "toll/A", "SayTimeWav/M"})
            d.mkpath(QString::fromLatin1(sub));
        put(QStringLiteral("timeup.mp3"), "mp3");
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QByteArray bytes(const QString& name) const { return DiskFiles().read(path(name)).value_or("<missing>"); }
    // Plain writes: a test folder needs no protection from power cuts, and syncing each file is slow.
    void put(const QString& name, const QByteArray& b) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(b), b.size());
    }
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
          quoted(QStringLiteral(
              "|9:00:00*没有注释>每月1日<校时|10:00:00*早操>星期一<校时|8:00:00*没有注释>每天<校时")));
}

bool ticked(MainWindow& w, const char* name) {
    return w.menus().action(QString::fromLatin1(name))->isChecked();
}
QString caption(MainWindow& w, const char* name) {
    return w.menus().action(QString::fromLatin1(name))->text();
}

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

    // The reset at start-up makes the default table and play list only where they hold nothing.
    void theResetAtStartKeepsDocumentsThatHoldEntries_data() {
        QTest::addColumn<QByteArray>("resetSystem");  // "<delete>" removes a file
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QByteArray>("playList");
        QTest::addColumn<QByteArray>("tableAfter");
        QTest::addColumn<QByteArray>("playListAfter");
        QTest::addColumn<int>("entries");
        const QByteArray table = quoted(QStringLiteral("|8:00:00*没有注释>每天<校时"));
        const QByteArray tracks = quoted("|/music/a.mp3|/music/b.mp3");
        const QByteArray none = "<delete>";
        QTest::addRow("a first start makes both")
            << none << none << none << QByteArray("\"\"\r\n") << QByteArray() << 0;
        QTest::addRow("empty ones are made anew") << QByteArray() << QByteArray() << QByteArray("\"\"\r\n")
                                                  << QByteArray("\"\"\r\n") << QByteArray() << 0;
        QTest::addRow("a table and play list put in before the first start are kept")
            << none << table << tracks << table << tracks << 1;
        QTest::addRow("an emptied ResetSystem.txt keeps them")
            << QByteArray() << table << tracks << table << tracks << 1;
        QTest::addRow("a binary ResetSystem.txt keeps them")
            << QByteArray("\x00\xFF\x13\x9A", 4) << table << tracks << table << tracks << 1;
        QTest::addRow("ResetSystem.txt asking for the reset keeps them")
            << QByteArray("0\r\n") << table << tracks << table << tracks << 1;
    }
    void theResetAtStartKeepsDocumentsThatHoldEntries() {
        QFETCH(QByteArray, resetSystem);
        QFETCH(QByteArray, table);
        QFETCH(QByteArray, playList);
        QFETCH(QByteArray, tableAfter);
        QFETCH(QByteArray, playListAfter);
        QFETCH(int, entries);
        Folder f;
        const auto place = [&](const QString& name, const QByteArray& bytes) {
            if (bytes != "<delete>")
                f.put(name, bytes);
        };
        place(settings::kResetSystem, resetSystem);
        place(settings::kDefaultTable, table);
        place(settings::kDefaultPlayList, playList);
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        // The reset ran.
        QCOMPARE(f.bytes(settings::kResetSystem), QByteArray("1\r\n"));
        QCOMPARE(f.bytes(settings::kTimeSet), quoted("minute"));
        QCOMPARE(f.bytes(settings::kDefaultTable), tableAfter);
        QCOMPARE(f.bytes(settings::kDefaultPlayList), playListAfter);
        QCOMPARE(w.table().entries().size(), entries);
    }

    void theConfirmedResetEmptiesTheDocuments() {
        Folder f;
        writeIntactSettings(f);
        f.put(settings::kDefaultPlayList, quoted("|/music/a.mp3"));
        FakeFiles files;
        FakeAutostart autostart;
        const SettingsStore store(files, f.dir.path());
        QVERIFY(writeResetDefaults(store, autostart, QStringLiteral("/opt/q"), ResetDocuments::Empty));
        QCOMPARE(f.bytes(settings::kDefaultTable), QByteArray("\"\"\r\n"));
        QCOMPARE(f.bytes(settings::kDefaultPlayList), QByteArray());
        QCOMPARE(f.bytes(settings::kResetSystem), QByteArray("1\r\n"));
        QCOMPARE(autostart.calls, QStringList{"enable /opt/q"});
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
        QCOMPARE(w.powerOff().setting(PowerAction::Shutdown), QStringLiteral("关30"));
        QVERIFY(ticked(w, "MenuShutDownWindowsFormOff") && !ticked(w, "MenuShutDownWindowsFormOn"));
        QCOMPARE(caption(w, "MenuShutDownWindowsWaitTimeCurrent"), QStringLiteral("当前值:30秒"));
        QCOMPARE(caption(w, "MenuRestartWaitTimeCurrent"), QStringLiteral("当前值:60秒"));
        QCOMPARE(caption(w, "MenuLogoffWaitTimeCurrent"), QStringLiteral("当前值:秒"));
        // The table is shown sorted: weekday, then every day, then monthly.
        QCOMPARE(w.table().entries(), QStringList({QStringLiteral("10:00:00*早操>星期一<校时"),
                                                   QStringLiteral("8:00:00*没有注释>每天<校时"),
                                                   QStringLiteral("9:00:00*没有注释>每月1日<校时")}));
    }

    void repairs_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");   // "<delete>" removes the file
        QTest::addColumn<QByteArray>("repaired");  // "%P" stands for the program folder
        QTest::addColumn<int>("writes");
        QTest::addRow("a chime setting without 开 or 关 turns the chime on with sound A")
            << settings::kToll << QByteArray("\"x\"\r\n") << quoted(QStringLiteral("开%P/toll/A/A")) << 1;
        QTest::addRow("a missing chime setting likewise")
            << settings::kToll << QByteArray("<delete>") << quoted(QStringLiteral("开%P/toll/A/A")) << 1;
        QTest::addRow("a capital Minute is not minute")
            << settings::kTimeSet << quoted("Minute") << quoted("minute") << 1;
        QTest::addRow("an empty alarm sound is the built-in one")
            << settings::kUserWav << QByteArray("") << quoted("%P/timeup.mp3") << 1;
        QTest::addRow("a default table that names no file falls back")
            << settings::kDefaultDtt << quoted("/nowhere/x.DTT") << quoted("%P/DayTimeTable/Default.DTT")
            << 1;
        // The path in DefaultDTT.txt then names no file either, so it is written again as well.
        QTest::addRow("a missing default table is made anew")
            << settings::kDefaultTable << QByteArray("<delete>") << QByteArray("\"\"\r\n") << 2;
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

    // Each settings file, the default table and a school table named in DefaultDTT.txt, with something
    // in its place that cannot be read: start-up goes on with the file's default and writes nothing.
    void unreadableFilesAreUsedAsTheirDefaultAndNeverWritten_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        const QStringList files = {settings::kResetSystem,
                                   settings::kToll,
                                   settings::kTimeSet,
                                   settings::kUserWav,
                                   settings::kDefaultDtt,
                                   settings::kDefaultTable,
                                   QStringLiteral("DayTimeTable/school.DTT")};
        for (const QString& file : files) {
            for (const QString& kind : QStringList{QStringLiteral("no read permission")} + kOddKinds) {
                // A table may be far longer than a settings file; its own cap is not tried here.
                if (file.endsWith(QStringLiteral(".DTT")) && kind == kOddKinds[4])
                    continue;
                QTest::addRow("%s as %s", qPrintable(file), qPrintable(kind)) << file << kind;
            }
        }
    }
    void unreadableFilesAreUsedAsTheirDefaultAndNeverWritten() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        Folder f;
        writeIntactSettings(f);
        const QString p = f.dir.path();
        const QString school = f.path(QStringLiteral("DayTimeTable/school.DTT"));
        if (file == QStringLiteral("DayTimeTable/school.DTT"))
            f.put(settings::kDefaultDtt, quoted(school));
        FakePlatform fake(p);
        if (kind == QStringLiteral("no read permission")) {
            if (!QFile::exists(f.path(file)))
                f.put(file, quoted(QStringLiteral("|8:00:00*没有注释>每天<校时")));
            fake.files.unreadable << f.path(file);
        } else
            QVERIFY(makeOddFile(f.path(file), kind));
        MainWindow w(fake.platform);
        QVERIFY(w.load());

        QCOMPARE(fake.files.writes, QStringList());
        if (kind != QStringLiteral("no read permission"))
            QVERIFY(oddFileKept(f.path(file), kind));
        // No reset ran: the intact AutoRunYesNo.txt still says NO.
        QVERIFY(fake.autostart.calls.isEmpty());
        QVERIFY(ticked(w, "AUTORUNNO"));
        const QString defaultTable = p + "/DayTimeTable/Default.DTT";
        if (file == settings::kToll)
            QVERIFY(ticked(w, "MenuTollOn") && ticked(w, "MenuTollRingChooseA"));
        if (file == settings::kTimeSet)
            QVERIFY(ticked(w, "Min") && !ticked(w, "Sec"));
        if (file == settings::kUserWav) {
            QCOMPARE(caption(w, "CurrentRing"), p + "/timeup.mp3");
            QVERIFY(!w.menus().action("humor")->isEnabled());
        }
        if (file == settings::kDefaultDtt) {
            QCOMPARE(w.table().currentPath(), defaultTable);
            QCOMPARE(w.table().entries().size(), 3);
        }
        if (file == settings::kDefaultTable) {
            QCOMPARE(w.table().currentPath(), defaultTable);
            QCOMPARE(w.table().entries().size(), 0);
        }
        if (file.endsWith(QStringLiteral("school.DTT"))) {
            QCOMPARE(w.table().currentPath(), school);
            QCOMPARE(w.table().entries().size(), 0);
        }
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

    void strayTempFilesGoOnceThisInstanceHoldsTheGuard() {
        Folder f;
        writeIntactSettings(f);
        const QStringList strays{f.path("Toll.txt.aBcDeF"), f.path("DayTimeTable/Default.DTT.QwErTy")};
        for (const QString& stray : strays)
            f.put(stray.mid(f.dir.path().size() + 1), "half written");
        {
            FakePlatform second(f.dir.path());
            second.instance.otherRunning = true;
            MainWindow w(second.platform);
            QVERIFY(!w.load());
            for (const QString& stray : strays)
                QVERIFY2(QFile::exists(stray), "the running instance may be writing it");
        }
        FakePlatform fake(f.dir.path());
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        for (const QString& stray : strays)
            QVERIFY(!QFile::exists(stray));
        QVERIFY(ticked(w, "MenuTollOn"));
        QCOMPARE(w.table().entries().size(), 3);
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

    // 结束程序 while the window shows: quitting closes every window first, and the close box's hiding
    // must not cancel the quit, with a tray or without one.
    void exitEndsTheProgramWhileTheWindowShows_data() {
        QTest::addColumn<bool>("tray");
        QTest::addRow("with a tray") << true;
        QTest::addRow("without a tray") << false;
    }
    void exitEndsTheProgramWhileTheWindowShows() {
        QFETCH(bool, tray);
        Folder f;
        writeIntactSettings(f);
        FakePlatform fake(f.dir.path());
        fake.tray.available = tray;
        MainWindow w(fake.platform);
        QVERIFY(w.load());
        QVERIFY(w.isVisible());
        fake.dialogs.answers = {Answer::Yes};
        QTimer::singleShot(0, w.menus().exit, &QAction::trigger);
        // Had the quit been cancelled, this would end the loop with another code.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!fake.tray.isShown());
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
        for (QAction* a : w.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"系统", "敲钟", "闹铃", "播音", "收音机", "校时"}));
        QStringList tray;
        for (QAction* a : w.menus().tray->actions())
            if (!a->isSeparator())
                tray << a->objectName();
        QCOMPARE(tray, QStringList({"SoftEdit", "Hindme", "ShowWin", "MenuzExit"}));
        QCOMPARE(w.menus().exitMenu->actions().size(), 1);
        QCOMPARE(caption(w, "MenuShutDownWindowsWaitTimeNew"), QStringLiteral("自定义"));
        QCOMPARE(caption(w, "MenuLogoffFormon"), QStringLiteral("开"));
        QCOMPARE(caption(w, "MenuJustMyTimeByHand"), QStringLiteral("间隔设置"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
