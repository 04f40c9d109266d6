// The main window on fakes, left to itself: what rings next, the history of what rang and failed, the
// hold against sleep and the bells on the system's second, as the operator finds them.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "history/history.h"
#include "platform/settings_names.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/unattended.h"

using namespace quel;
using namespace quel::fakes;

namespace {

struct Fixture {
    Fixture() : fake(dir.path()) {
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kToll), QStringLiteral("关/bells/toll/A/A"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 29, 59)));
    }
    void write(const QString& name, const QString& text) const { DiskFiles().writeText(path(name), text); }
    void start(const QString& table) {
        write(settings::kDefaultTable, table);
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            fake.clock.advance(window->clockTick().interval());
            window->clockTick().tick();
        }
    }
    QAction* action(const char* name) const { return window->menus().action(QString::fromLatin1(name)); }
    QString next() const { return window->findChild<QLabel*>(QStringLiteral("LabelNext"))->text(); }
    // The history's lines of this month, without their time stamps.
    QStringList history() const {
        window->unattended().history().flush();
        QFile f(path(QStringLiteral("History/2026-12.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {QStringLiteral("<no file>")};
        QStringList lines;
        for (const QString& line :
             QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            lines << line.section(QLatin1Char('\t'), 1);
        return lines;
    }
    QStringList boldRows() const {
        QStringList rows;
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->font(3).bold())
                rows << list->topLevelItem(i)->text(3);
        }
        return rows;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

const QString kTable =
    QStringLiteral("|8:30:30*上课铃>每天</bells/a.wav|9:00:00*没有注释>星期四</bells/b.wav");

}  // namespace

class UnattendedTest : public QObject {
    Q_OBJECT
private slots:
    void theNextEntryIsShownTippedAndMarked() {
        Fixture f;
        f.start(kTable);
        const QString next = QStringLiteral("下一项 8:30:30 上课铃（还有31秒）");
        QCOMPARE(f.next(), next);
        QCOMPARE(f.fake.tray.tip(), version::titleWithVersion() + QLatin1Char('\n') + next);
        QCOMPARE(f.boldRows(), QStringList{QStringLiteral("8:30:30")});
        f.tick(31);
        // Thursday's entry is not today's: nothing more rings.
        QCOMPARE(f.next(), QStringLiteral("下一项 无"));
        QCOMPARE(f.boldRows(), QStringList());
    }

    // The broadcast and power-off features know nothing of the history; their failures reach it still.
    void aSkippedTrackAndARefusedPowerOffAreInTheHistory() {
        Fixture f;
        QDir(f.dir.path()).mkpath(QStringLiteral("PlayListFile"));
        const QString track = f.path(QStringLiteral("a.wav"));
        DiskFiles().write(track, "not a sound");
        const QString list = f.path(QStringLiteral("PlayListFile/课间.PLF"));
        f.write(QStringLiteral("PlayListFile/课间.PLF"), QStringLiteral("|") + track);
        f.write(settings::kShut, QStringLiteral("关60"));
        f.fake.power.failWith = QStringLiteral("Access denied");
        f.start(QStringLiteral("|8:30:00*没有注释>每天<播音开-静态") + list +
                QStringLiteral("|8:30:01*没有注释>每天<关机"));
        f.tick();
        FakeMedia* player = f.fake.media.made.last();
        QCOMPARE(player->fileName(), track);
        player->fail();
        f.tick();
        QTRY_COMPARE(f.fake.power.calls, QStringList{QStringLiteral("shutdown")});
        // The refusal comes with the reply, from the event loop.
        QTRY_VERIFY(f.history().contains(QStringLiteral("关机\t关机\t失败：Access denied")));
        QVERIFY2(f.history().contains(QStringLiteral("播音\t") + track +
                                      QStringLiteral("\t失败：曲目无法播放，已跳过")),
                 qPrintable(f.history().join('\n')));
    }

    void eachEventIsALineOfTheHistory() {
        Fixture f;
        f.write(settings::kToll, QStringLiteral("开/bells/toll/A/A"));
        f.fake.launcher.succeed = false;
        f.start(
            QStringLiteral("|8:30:00*上课铃>每天</bells/a.wav|8:30:02*没有注释>每天<执行程序/gone/app -x"));
        f.tick(3);
        // The tone player could not open the bell: the media component says so.
        f.fake.media.made[0]->fail();
        QCOMPARE(f.history(), (QStringList{"时间表\t8:30:00 上课铃 /bells/a.wav\t完成",
                                           "时间表\t8:30:02 执行程序/gone/app -x\t失败：程序无法启动",
                                           "声音\t/bells/a.wav\t失败：无法播放"}));
        // Every failure also comes as a notice from the tray.
        QCOMPARE(f.fake.tray.warnings,
                 (QStringList{"Quelbrook 时间表 8:30:02 执行程序/gone/app -x 失败：程序无法启动",
                              "Quelbrook 声音 /bells/a.wav 失败：无法播放"}));

        f.fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 59, 59)));
        f.window->clockTick().justMyTime();
        f.tick();
        QCOMPARE(f.history().last(), QStringLiteral("整点敲钟\t9:00:00 /bells/toll/A/A9.WAV\t完成"));
    }

    // A menu choice that could not be written would come back changed at the next start.
    void aSettingThatCannotBeWrittenIsAFailure_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("line");
        QTest::addRow("the chime switched on") << "MenuTollOn" << settings::kToll << "整点敲钟";
        QTest::addRow("the alarm's unit") << "Hou" << settings::kTimeSet << "闹铃";
    }
    void aSettingThatCannotBeWrittenIsAFailure() {
        QFETCH(QString, item);
        QFETCH(QString, file);
        QFETCH(QString, line);
        Fixture f;
        f.fake.files.unwritable << f.path(file);
        f.start(kTable);
        f.window->menus().action(item)->trigger();
        const QString failure =
            line + QLatin1Char('\t') + f.path(file) + QStringLiteral("\t失败：设置无法保存");
        QCOMPARE(f.history(), QStringList{failure});
        QCOMPARE(f.fake.tray.warnings,
                 QStringList{QStringLiteral("Quelbrook ") + QString(failure).replace('\t', ' ')});
    }

    void aTableThatCannotBeReadIsAFailure() {
        Fixture f;
        f.fake.files.unreadable << f.path(settings::kDefaultTable);
        f.start(kTable);
        QCOMPARE(f.history(), QStringList{QStringLiteral("时间表文件\t") + f.path(settings::kDefaultTable) +
                                          QStringLiteral("\t失败：无法读取")});
        QCOMPARE(f.fake.tray.warnings.size(), 1);
    }

    void theNightAsleepIsMissedAndTheMorningRings() {
        Fixture f;
        f.start(
            QStringLiteral("|8:30:30*上课铃>每天</bells/a.wav|9:00:00*没有注释>每天</bells/b.wav"
                           "|18:00:05*放学>每天</bells/c.wav"));
        f.fake.clock.sleep(9 * 3600 * 1000 + 30 * 60 * 1000);  // wakes at 17:59:59
        f.tick(6);
        QCOMPARE(f.history(), (QStringList{"时间表\t8:30:30 上课铃 /bells/a.wav\t错过",
                                           "时间表\t9:00:00 /bells/b.wav\t错过",
                                           "校时\t内部时钟 8:29:59 → 18:00:00（电脑睡眠后醒来）\t完成",
                                           "时间表\t18:00:05 放学 /bells/c.wav\t完成"}));
        QVERIFY(f.fake.media.log.contains(QStringLiteral("m1 file /bells/c.wav")));
        QVERIFY(!f.fake.media.log.contains(QStringLiteral("m1 file /bells/a.wav")));
    }

    void aHistoryFolderThatCannotBeWrittenDoesNotStopTheBells() {
        Fixture f;
        QVERIFY(QFile(f.path(settings::kHistoryFolder)).open(QIODevice::WriteOnly));
        f.start(QStringLiteral("|8:30:00*a>每天</bells/a.wav|8:30:01*b>每天</bells/b.wav"));
        f.tick(2);
        f.window->unattended().history().flush();
        QTRY_COMPARE(f.fake.tray.warnings.size(), 1);
        QVERIFY(f.fake.tray.warnings.first().startsWith(QStringLiteral("Quelbrook 历史记录无法写入：")));
        QVERIFY(f.window->clockTick().isActive());
        QVERIFY(f.fake.media.log.contains(QStringLiteral("m1 file /bells/b.wav")));
        QCOMPARE(f.window->clockTick().clockText(), QStringLiteral("8:30:01"));
    }

    void keepAwakeIsOnUnlessTurnedOff() {
        Fixture f;
        f.start(kTable);
        QAction* keepAwake = f.action("MenuKeepAwake");
        QVERIFY(keepAwake->isChecked());
        QVERIFY(f.fake.sleepInhibitor.held);
        keepAwake->trigger();
        QVERIFY(!keepAwake->isChecked());
        QVERIFY(!f.fake.sleepInhibitor.held);
        QCOMPARE(*f.fake.files.read(f.path(settings::kKeepAwake)), QByteArray("\"NO\"\r\n"));

        Fixture g;
        g.write(settings::kKeepAwake, QStringLiteral("NO"));
        g.start(kTable);
        QVERIFY(!g.action("MenuKeepAwake")->isChecked());
        QCOMPARE(g.fake.sleepInhibitor.calls, QStringList());
    }

    void onTheSecondIsOffUnlessTurnedOn() {
        Fixture f;
        f.start(kTable);
        QAction* onTheSecond = f.action("MenuOnTheSecond");
        QVERIFY(!onTheSecond->isChecked());
        QVERIFY(!f.window->clockTick().onTheSecond());
        onTheSecond->trigger();
        QVERIFY(f.window->clockTick().onTheSecond());
        QCOMPARE(*f.fake.files.read(f.path(settings::kOnTheSecond)), QByteArray("\"YES\"\r\n"));

        Fixture g;
        g.write(settings::kOnTheSecond, QStringLiteral("YES"));
        g.start(kTable);
        QVERIFY(g.action("MenuOnTheSecond")->isChecked());
        QVERIFY(g.window->clockTick().onTheSecond());
    }

    void theHistoryWindowShowsNewestFirstAndFiltersFailures() {
        Fixture f;
        f.fake.launcher.succeed = false;
        f.start(QStringLiteral("|8:30:00*a>每天</bells/a.wav|8:30:01*b>每天<执行程序/gone"));
        f.tick(2);
        f.action("MenuHistory")->trigger();
        auto* window = f.window->findChild<QWidget*>(QStringLiteral("FormHistory"));
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("历史记录"));
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("HistoryList"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("8:30:01 b 执行程序/gone"));
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("失败：程序无法启动"));
        QVERIFY(list->topLevelItem(0)->foreground(3) != list->topLevelItem(1)->foreground(3));
        QVERIFY(!list->topLevelItem(0)->icon(3).isNull());

        window->findChild<QCheckBox*>(QStringLiteral("HistoryFailuresOnly"))->setChecked(true);
        QVERIFY(!list->topLevelItem(0)->isHidden());
        QVERIFY(list->topLevelItem(1)->isHidden());
        // What rings while the window is open joins at the top, under the same filter.
        f.window->unattended().history().record(HistoryKind::Chime, QStringLiteral("9:00:00 x"));
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("9:00:00 x"));
        QVERIFY(list->topLevelItem(0)->isHidden());

        // The menu brings the same window forward.
        f.action("MenuHistory")->trigger();
        QCOMPARE(f.window->findChildren<QWidget*>(QStringLiteral("FormHistory")).size(), 1);
    }
};

QTEST_MAIN(UnattendedTest)
#include "unattended_test.moc"
