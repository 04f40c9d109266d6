// The main window on fakes, left to itself: what rings next, the history of what rang and failed, the
// hold against sleep and the bells on the system's second, as the operator finds them.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <sys/stat.h>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "history/history.h"
#include "platform/media.h"
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
        const QAbstractItemModel* list = window->findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
        for (int i = 0; i < list->rowCount(); ++i) {
            const QModelIndex time = list->index(i, 3);
            if (time.data(Qt::FontRole).value<QFont>().bold())
                rows << time.data().toString();
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

    // The tone of the next entry is held ready a few seconds ahead on the tone player, and only on a
    // free one: a sound it is making is left alone, and the tone rings on its second all the same.
    void theNextToneIsHeldReadyOnAFreePlayerOnly_data() {
        QTest::addColumn<bool>("busy");
        QTest::addRow("a free player") << false;
        QTest::addRow("a player sounding the alarm") << true;
    }
    void theNextToneIsHeldReadyOnAFreePlayerOnly() {
        QFETCH(bool, busy);
        Fixture f;
        f.start(kTable);
        FakeMedia& tone = *f.fake.media.made[0];
        if (busy)
            tone.setFileName(QStringLiteral("/bells/alarm.wav"));
        f.tick(27);  // 8:30:26
        QCOMPARE(tone.cues, QStringList());
        f.tick();  // three seconds ahead
        QCOMPARE(tone.cues, busy ? QStringList() : QStringList{QStringLiteral("/bells/a.wav")});
        QCOMPARE(tone.isCued(), !busy);
        f.tick(3);
        const QStringList rang{QStringLiteral("m1 stop"), QStringLiteral("m1 file /bells/a.wav"),
                               QStringLiteral("m1 play")};
        QCOMPARE(f.fake.media.log.mid(f.fake.media.log.size() - rang.size()), rang);
        QVERIFY(!tone.isCued());
        tone.finish();
        f.tick(5);  // Thursday's tone is not today's: nothing more is held
        QCOMPARE(tone.cues.size(), busy ? 0 : 1);
    }

    // A long comment or command line widened the window past a 1280-pixel screen and never gave the
    // room back; the next entry now keeps to its row, shortened, with the whole text in its tooltip.
    void aLongNextEntryNeverWidensTheWindow_data() {
        QTest::addColumn<QString>("entry");
        QTest::addRow("a short comment") << QStringLiteral("|8:30:30*上课铃>每天</bells/a.wav");
        QTest::addRow("a 100-character comment") << QStringLiteral("|8:30:30*") +
                                                        QString(100, QChar(0x94c3)) +
                                                        QStringLiteral(">每天</bells/a.wav");
        QTest::addRow("a 100-character command line")
            << QStringLiteral("|8:30:30*没有注释>每天<执行程序/usr/bin/") + QString(100, QLatin1Char('x'));
    }
    void aLongNextEntryNeverWidensTheWindow() {
        QFETCH(QString, entry);
        Fixture empty;
        empty.start(QString());
        Fixture f;
        f.start(entry);
        QCOMPARE(f.window->sizeHint().width(), empty.window->sizeHint().width());
        auto* label = f.window->findChild<QLabel*>(QStringLiteral("LabelNext"));
        QVERIFY(label->text().startsWith(QStringLiteral("下一项 8:30:30 ")));
        QCOMPARE(label->toolTip(), label->text());
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
        // The refusal comes with the reply, from the event loop, as the entry's outcome.
        QTRY_VERIFY(f.history().contains(QStringLiteral("时间表\t8:30:01 关机\t失败：Access denied")));
        QVERIFY2(f.history().contains(QStringLiteral("播音\t") + track +
                                      QStringLiteral("\t失败：曲目无法播放，已跳过")),
                 qPrintable(f.history().join('\n')));
    }

    // A list on an unplugged stick: every track is skipped, and the history says so once.
    void aRunOfSkippedTracksIsOneLineOfTheHistory() {
        Fixture f;
        QDir(f.dir.path()).mkpath(QStringLiteral("PlayListFile"));
        QStringList tracks;
        for (int i = 0; i < 10000; ++i)
            tracks << QStringLiteral("/no-such-stick/%1.mp3").arg(i);
        f.write(QStringLiteral("PlayListFile/stick.PLF"), QLatin1Char('|') + tracks.join(QLatin1Char('|')));
        f.start(QStringLiteral("|8:30:00*没有注释>每天<播音开-静态") +
                f.path(QStringLiteral("PlayListFile/stick.PLF")));
        f.tick();
        FakeMedia* player = f.fake.media.made.last();
        player->unplayable = QSet<QString>(tracks.begin(), tracks.end());
        player->fail();  // the first, open before the set was filled
        // Each failure comes from the event loop, one turn after its track was opened.
        for (int turn = 0; turn < 2 * tracks.size() && !player->fileName().isEmpty(); ++turn)
            QCoreApplication::processEvents();
        QVERIFY(player->fileName().isEmpty());
        const QStringList lines = f.history().filter(QStringLiteral("曲目无法播放"));
        QCOMPARE(lines, QStringList{QStringLiteral(
                            "播音\t/no-such-stick/0.mp3 等 10000 首\t失败：曲目无法播放，已跳过")});
    }

    void eachEventIsALineOfTheHistory() {
        Fixture f;
        f.write(settings::kToll, QStringLiteral("开/bells/toll/A/A"));
        f.fake.launcher.succeed = false;
        f.start(
            QStringLiteral("|8:30:00*上课铃>每天</bells/a.wav|8:30:02*没有注释>每天<执行程序/gone/app -x"));
        f.tick(3);
        // The tone player could not open the bell: the media component says so, and the bell's line,
        // written once its outcome is known, says it failed.
        f.fake.media.made[0]->fail();
        QCOMPARE(f.history(), (QStringList{"时间表\t8:30:02 执行程序/gone/app -x\t失败：程序无法启动",
                                           "时间表\t8:30:00 上课铃 /bells/a.wav\t失败：无法播放"}));
        // Every failure also comes as a notice from the tray.
        QCOMPARE(f.fake.tray.warnings,
                 (QStringList{"Quelbrook 时间表 8:30:02 执行程序/gone/app -x 失败：程序无法启动",
                              "Quelbrook 时间表 8:30:00 上课铃 /bells/a.wav 失败：无法播放"}));

        f.fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 59, 59)));
        f.window->clockTick().justMyTime();
        f.tick();
        // The chime's line waits until the bell has sounded without failing.
        f.tick(10);
        QCOMPARE(f.history().last(), QStringLiteral("整点敲钟\t9:00:00 /bells/toll/A/A9.WAV\t完成"));
    }

    // One line per event, with what really happened, whenever that became known.
    void eachEntryIsWrittenWithItsOutcome_data() {
        QTest::addColumn<QString>("response");
        QTest::addColumn<QString>("setUp");  // "radio", "radio failing", "power refusing", "no program"
        QTest::addColumn<QString>("then");   // "finish", "fail", "ten seconds", "cancel", "act now", ""
        QTest::addColumn<QString>("line");
        auto row = [](const char* name, const char* response, const char* setUp, const char* then,
                      const char* result) {
            QTest::addRow("%s", name) << QString::fromUtf8(response) << setUp << then
                                      << QStringLiteral("时间表\t8:30:00 ") + QString::fromUtf8(response) +
                                             QLatin1Char('\t') + QString::fromUtf8(result);
        };
        row("a bell that played to its end", "/bells/a.wav", "", "finish", "完成");
        row("a bell that could not play", "/bells/a.wav", "", "fail", "失败：无法播放");
        row("a bell still sounding ten seconds on", "/bells/a.wav", "", "ten seconds", "完成");
        row("a shutdown cancelled with 取消关机", "关机", "", "cancel", "取消");
        row("a shutdown done with 立即关机", "关机", "", "act now", "完成");
        row("a shutdown the system refused", "关机", "power refusing", "act now", "失败：Access denied");
        row("a restart cancelled", "重启", "", "cancel", "取消");
        row("the radio switched on", "收音机开", "radio", "", "完成");
        row("the radio the sound server could not switch", "收音机开", "radio failing", "",
            "失败：声音服务器：no input named alsa_input.line");
        row("the radio not set up", "收音机开", "", "", "失败：收音机线路没有设置");
        row("a program that started", "执行程序/bin/true", "", "", "完成");
        row("a program that did not start", "执行程序/gone", "no program", "", "失败：程序无法启动");
    }
    void eachEntryIsWrittenWithItsOutcome() {
        QFETCH(QString, response);
        QFETCH(QString, setUp);
        QFETCH(QString, then);
        QFETCH(QString, line);
        Fixture f;
        if (setUp.startsWith(QStringLiteral("radio"))) {
            f.write(settings::kRadioSource, QStringLiteral("alsa_input.line"));
            DiskFiles().writeNumber(f.path(settings::kRadio), 0);
        }
        if (setUp == QStringLiteral("radio failing"))
            f.fake.lineIn.failWith = QStringLiteral("no input named alsa_input.line");
        if (setUp == QStringLiteral("power refusing"))
            f.fake.power.failWith = QStringLiteral("Access denied");
        f.fake.launcher.succeed = setUp != QStringLiteral("no program");
        f.start(QStringLiteral("|8:30:00*没有注释>每天<") + response);
        f.tick();
        QWidget* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if ((top->objectName() == QStringLiteral("FormShutDownWindows") ||
                 top->objectName() == QStringLiteral("FormRestartWindows")) &&
                top->isVisible())
                window = top;
        }
        QCOMPARE(window != nullptr, then == QStringLiteral("cancel") || then == QStringLiteral("act now"));
        if (then == QStringLiteral("finish"))
            f.fake.media.made[0]->finish();
        else if (then == QStringLiteral("fail"))
            f.fake.media.made[0]->fail();
        else if (then == QStringLiteral("ten seconds"))
            f.tick(10);
        else if (then == QStringLiteral("cancel"))
            window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        else if (then == QStringLiteral("act now"))
            window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QTRY_COMPARE(f.history(), QStringList{line});
        const bool failed = line.contains(QStringLiteral("\t失败"));
        QCOMPARE(f.fake.tray.warnings,
                 failed ? QStringList{QStringLiteral("Quelbrook ") +
                                      QString(line).replace(QLatin1Char('\t'), QLatin1Char(' '))}
                        : QStringList());
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
        f.tick(10);  // the evening bell has sounded
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

    void aSwitchThatCannotBeSavedStaysAndIsTold_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");
        QTest::addRow("保持唤醒") << "MenuKeepAwake" << settings::kKeepAwake;
        QTest::addRow("按系统秒打铃") << "MenuOnTheSecond" << settings::kOnTheSecond;
    }
    void aSwitchThatCannotBeSavedStaysAndIsTold() {
        QFETCH(QString, item);
        QFETCH(QString, file);
        Fixture f;
        f.start(kTable);
        QAction* action = f.action(qPrintable(item));
        const bool was = action->isChecked();
        f.fake.files.unwritable << f.path(file);
        action->trigger();
        QCOMPARE(action->isChecked(), was);
        QCOMPARE(f.fake.sleepInhibitor.held, true);
        QCOMPARE(f.window->clockTick().onTheSecond(), false);
        QCOMPARE(f.fake.dialogs.messages.size(), 1);
        QCOMPARE(f.fake.dialogs.messages.first().text, QStringLiteral("无法保存文件：") + f.path(file));
    }

    void theHistoryWindowShowsNewestFirstAndFiltersFailures() {
        Fixture f;
        f.fake.launcher.succeed = false;
        // Seconds apart: lines of one second keep the order they were written in, and the bell's is
        // written when it has sounded.
        f.start(QStringLiteral("|8:30:00*a>每天</bells/a.wav|8:30:05*b>每天<执行程序/gone"));
        f.tick(6);
        f.tick(10);
        f.action("MenuHistory")->trigger();
        auto* window = f.window->findChild<QWidget*>(QStringLiteral("FormHistory"));
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("历史记录"));
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("HistoryList"));
        QTRY_COMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("8:30:05 b 执行程序/gone"));
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

    // A bell whose file cannot play rings the built-in tone instead, and the history and the tray say
    // which file and why. A sound output that is gone has no fallback and is told on the tray once.
    void aToneThatCannotPlayStillRingsAndSaysWhy_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("fallsBack");
        QTest::addColumn<QString>("written");
        QTest::addRow("a missing file rings the built-in tone")
            << int(MediaFault::Kind::File) << media_reason::kMissing << true
            << QStringLiteral("失败：文件不存在，已改响内置铃声");
        QTest::addRow("a file that cannot be decoded rings the built-in tone")
            << int(MediaFault::Kind::File) << media_reason::kUndecodable << true
            << QStringLiteral("失败：无法解码，已改响内置铃声");
        QTest::addRow("no sound output is not the file's fault and has no fallback")
            << int(MediaFault::Kind::Output) << media_reason::kNoOutput << false
            << QStringLiteral("失败：没有声音输出（不是文件的问题）");
    }
    void aToneThatCannotPlayStillRingsAndSaysWhy() {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        QFETCH(bool, fallsBack);
        QFETCH(QString, written);
        Fixture f;
        f.start(QStringLiteral("|8:30:00*上课铃>每天</bells/a.wav|8:30:01*下课铃>每天</bells/b.wav"));
        f.tick();
        FakeMedia* tone = f.fake.media.made[0];
        f.fake.media.log.clear();
        const MediaFault fault{MediaFault::Kind(kind), reason};
        tone->fail(fault);

        const QString builtIn = f.window->defaultRing();
        QCOMPARE(f.fake.media.log,
                 fallsBack ? (QStringList{"m1 stop", "m1 file " + builtIn, "m1 play"}) : QStringList());
        // The bell's own line carries what happened to it.
        QCOMPARE(f.history().last(), QStringLiteral("时间表\t8:30:00 上课铃 /bells/a.wav\t") + written);
        QCOMPARE(f.fake.tray.warnings.last(),
                 QStringLiteral("Quelbrook 时间表 8:30:00 上课铃 /bells/a.wav ") + written);

        // The next bell fails the same way and says so; the tray tells a file fault again, and a gone
        // output only once.
        const qsizetype warned = f.fake.tray.warnings.size();
        f.tick();
        tone->fail(fault);
        f.tick(10);
        QCOMPARE(f.history().last(), QStringLiteral("时间表\t8:30:01 下课铃 /bells/b.wav\t") + written);
        QCOMPARE(f.fake.tray.warnings.size(), warned + (fallsBack ? 1 : 0));
    }

    void theBuiltInToneFailingInItsTurnIsSaidAndNotRetried() {
        Fixture f;
        f.start(QStringLiteral("|8:30:00*上课铃>每天</bells/a.wav"));
        f.tick();
        FakeMedia* tone = f.fake.media.made[0];
        const MediaFault missing{MediaFault::Kind::File, media_reason::kMissing};
        tone->fail(missing);
        f.fake.media.log.clear();
        tone->fail(missing);  // the built-in tone is missing too
        QCOMPARE(f.fake.media.log, QStringList());
        QCOMPARE(f.history().last(),
                 QStringLiteral("声音\t") + f.window->defaultRing() + QStringLiteral("\t失败：文件不存在"));
    }

    // A disk that does not answer (a hung network share, a FIFO in the folder) holds the history's
    // thread; the window opens all the same and the lines follow.
    void theHistoryWindowOpensWhileTheWriterIsHeld() {
        Fixture f;
        f.start(QStringLiteral("|8:30:00*a>每天<执行程序/bin/true"));
        f.tick();
        f.window->unattended().history().flush();
        QVERIFY(::mkfifo(QFile::encodeName(f.path(QStringLiteral("History/2026-11.log"))).constData(),
                         0600) == 0);
        QSemaphore held;
        QMetaObject::invokeMethod(f.window->unattended().history().writer(), [&held] { held.acquire(); });
        f.action("MenuHistory")->trigger();
        auto* window = f.window->findChild<QWidget*>(QStringLiteral("FormHistory"));
        QVERIFY(window && window->isVisible());
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("HistoryList"));
        auto* note = window->findChild<QLabel*>(QStringLiteral("HistoryNote"));
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(note->text(), QStringLiteral("正在读取…"));
        // What happens meanwhile joins at the top at once.
        f.tick(30);
        f.window->unattended().history().record(HistoryKind::Chime, QStringLiteral("8:30:30 x"));
        QCOMPARE(list->topLevelItemCount(), 1);
        held.release();
        QTRY_COMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("8:30:00 a 执行程序/bin/true"));
        QCOMPARE(note->text(), QString());
    }
};

QTEST_MAIN(UnattendedTest)
#include "unattended_test.moc"
