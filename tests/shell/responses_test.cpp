// The main window carrying out what the tick decides, on fakes: the whole path from a tick of the
// program clock to a sound, a started program or another table.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "engine/clock_tick.h"
#include "engine/say_time.h"
#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "schedule/schedule_list.h"
#include "shell/main_window.h"

using namespace quel;
using namespace quel::fakes;

namespace {

// A program folder with a default table; `start()` builds and loads the main window on fakes.
struct Fixture {
    Fixture() : fake(dir.path()) {
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kToll), QStringLiteral("关/bells/toll/A/A"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        // One second before half past eight on a Wednesday.
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 29, 59)));
    }
    explicit Fixture(const QString& table) : Fixture() {
        writeTable(settings::kDefaultTable, table);
        start();
    }
    void writeTable(const QString& name, const QString& text) const {
        DiskFiles().writeText(path(name), text);
    }
    void start() {
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
        fake.media.log.clear();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    // One tick with the system clock one interval on.
    void tick() {
        fake.clock.advance(window->clockTick().interval());
        window->clockTick().tick();
    }
    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

QString label(MainWindow& w, const char* name) {
    return w.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

}  // namespace

class ResponsesTest : public QObject {
    Q_OBJECT
private slots:
    void aToneEntryPlaysOnTheTonePlayer() {
        Fixture f(QStringLiteral("|8:30:00*没有注释>每天</sounds/bell.wav"));
        f.tick();
        QCOMPARE(f.fake.media.log, QStringList({"m1 stop", "m1 file /sounds/bell.wav", "m1 play"}));
        QVERIFY(f.window->clockTick().isActive());
    }

    void aProgramEntryRunsTheTextAfterTheKeyword() {
        Fixture f(QStringLiteral("|8:30:00*没有注释>星期三<执行程序/usr/bin/touch /tmp/a b"));
        f.tick();
        QCOMPARE(f.fake.launcher.runs, QStringList{QStringLiteral("/usr/bin/touch /tmp/a b")});
        QVERIFY(f.fake.media.log.isEmpty());
    }

    void aTableEntryHandsOverToAnotherTable() {
        Fixture f;
        const QString second = f.path(QStringLiteral("DayTimeTable/second.DTT"));
        f.writeTable(QStringLiteral("DayTimeTable/second.DTT"),
                     QStringLiteral("|8:30:01*换表>每天</sounds/two.wav"));
        f.writeTable(settings::kDefaultTable, QStringLiteral("|8:30:00*没有注释>每天<打开表") + second);
        f.start();
        f.tick();
        QCOMPARE(f.window->table().currentPath(), second);
        QCOMPARE(label(*f.window, "Label2"), QStringLiteral("文件:second.DTT"));
        QVERIFY(f.window->findChild<QPushButton*>("Command7")->isEnabled());
        QCOMPARE(f.window->table().entries(),
                 QStringList{QStringLiteral("8:30:01*换表>每天</sounds/two.wav")});
        QCOMPARE(f.window->findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount(), 1);
        f.tick();
        QVERIFY(f.fake.media.log.contains(QStringLiteral("m1 file /sounds/two.wav")));
    }

    void aTableEntryNamingAMissingFileEmptiesTheTable() {
        Fixture f(QStringLiteral("|8:30:00*没有注释>每天<打开表/gone/old.DTT|9:30:00*没有注释>每天<校时"));
        f.tick();
        QCOMPARE(f.window->table().currentPath(), QStringLiteral("/gone/old.DTT"));
        QCOMPARE(f.window->table().entries().size(), 0);
        QCOMPARE(label(*f.window, "Label2"), QStringLiteral("文件:"));
        QCOMPARE(f.window->findChild<QLabel*>("Label2")->toolTip(), QStringLiteral("文件:/gone/old.DTT"));
        QVERIFY(f.window->clockTick().isActive());
    }

    void theDefaultTableByResponseDisablesMakeDefault() {
        Fixture f;
        const QString table = f.path(settings::kDefaultTable);
        f.writeTable(settings::kDefaultTable, QStringLiteral("|8:30:00*没有注释>每天<打开表") + table);
        f.start();
        f.tick();
        QVERIFY(!f.window->findChild<QPushButton*>("Command7")->isEnabled());
    }

    void theHourlyChimeStrikesThroughTheChimePlayer() {
        Fixture f;
        f.writeTable(settings::kToll, QStringLiteral("开/bells/toll/B/B"));
        f.fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(20, 59, 59)));
        f.start();
        f.tick();
        QCOMPARE(f.fake.media.log, QStringList({"m2 stop", "m2 file /bells/toll/B/B9.WAV", "m2 play"}));
        // At its end the chime's component closes its file, giving back its pipeline and the device.
        f.fake.media.made[1]->finish();
        QCOMPARE(f.fake.media.log.last(), QStringLiteral("m2 file "));
        QVERIFY(f.fake.media.made[1]->fileName().isEmpty());
    }

    void aQuietTickWritesTheStatusLine() {
        Fixture f{QString()};
        f.fake.clock.setBoot((3 * 3600 + 4 * 60 + 5) * 1000LL);
        f.tick();
        const QString status = label(*f.window, "Label5");
        QVERIFY2(status.startsWith(QStringLiteral("系统>")), qPrintable(status));
        QVERIFY2(status.endsWith(QStringLiteral(" 内部>8:30:00 开机>3:4:6 星期三")), qPrintable(status));
    }

    // Each response reaches the feature that carries it out, on the fakes of the services it uses.
    void eachResponseReachesItsFeature_data() {
        QTest::addColumn<QString>("entries");  // after the program folder's own entries
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("played");  // a file some media component opened; <dir> is the folder
        QTest::addColumn<QStringList>("lineIn");
        QTest::addColumn<QStringList>("power");
        const QString at = QStringLiteral("|8:30:00*没有注释>每天<");
        const QString list = QStringLiteral("<dir>/PlayListFile/a.PLF");
        QTest::addRow("static broadcast plays the list")
            << at + "播音开-静态" + list << 1 << "<dir>/music/a.wav" << QStringList() << QStringList();
        QTest::addRow("dynamic broadcast plays the list")
            << at + "播音开-动态" + list << 1 << "<dir>/music/a.wav" << QStringList() << QStringList();
        QTest::addRow("broadcast off stops it") << at + "播音开-静态" + list + "|8:30:01*没有注释>每天<播音关"
                                                << 2 << "stop" << QStringList() << QStringList();
        QTest::addRow("radio on switches the line in")
            << at + "收音机开" << 1 << "" << QStringList{"on radio"} << QStringList();
        QTest::addRow("radio off switches it off")
            << at + "收音机关" << 1 << "" << QStringList{"off"} << QStringList();
        QTest::addRow("shutdown") << at + "关机" << 1 << "" << QStringList() << QStringList{"shutdown"};
        QTest::addRow("restart") << at + "重启" << 1 << "" << QStringList() << QStringList{"restart"};
        QTest::addRow("logoff") << at + "注销" << 1 << "" << QStringList() << QStringList{"logoff"};
        QTest::addRow("male voice speaks the time")
            << at + "中文男声报时" << 1 << "<dir>/<male>" << QStringList() << QStringList();
        QTest::addRow("female voice speaks the time")
            << at + "中文女声报时" << 1 << "<dir>/<female>" << QStringList() << QStringList();
    }
    void eachResponseReachesItsFeature() {
        QFETCH(QString, entries);
        QFETCH(int, ticks);
        QFETCH(QString, played);
        QFETCH(QStringList, lineIn);
        QFETCH(QStringList, power);
        Fixture f;
        const auto expand = [&](QString s) {
            return s.replace("<dir>", f.dir.path())
                .replace("<male>", sayTimeFiles(Voice::Male, {8, 30, 0}).first())
                .replace("<female>", sayTimeFiles(Voice::Female, {8, 30, 0}).first());
        };
        // What the features need to act at all: a list with a track, the spoken numbers, a radio line
        // that is set up, and power-off without the count-down window.
        DiskFiles files;
        QDir(f.dir.path()).mkpath(QStringLiteral("music"));
        QDir(f.dir.path()).mkpath(QStringLiteral("PlayListFile"));
        files.write(f.path(QStringLiteral("music/a.wav")), QByteArray("RIFF"));
        files.writeText(f.path(QStringLiteral("PlayListFile/a.PLF")),
                        QLatin1Char('|') + f.path("music/a.wav"));
        for (Voice voice : {Voice::Male, Voice::Female}) {
            for (const QString& word : sayTimeFiles(voice, {8, 30, 0})) {
                QDir(f.dir.path()).mkpath(QFileInfo(word).path());
                files.write(f.path(word), QByteArray("RIFF"));
            }
        }
        files.writeText(f.path(settings::kRadioSource), QStringLiteral("radio"));
        files.writeNumber(f.path(settings::kRadio), 0);
        for (const QString& name : {settings::kShut, settings::kRestart, settings::kLogoff})
            files.writeText(f.path(name), QStringLiteral("关60"));
        f.writeTable(settings::kDefaultTable, expand(entries));
        f.start();
        f.fake.lineIn.requests.clear();

        for (int i = 0; i < ticks; ++i)
            f.tick();
        if (!played.isEmpty()) {
            const QString seen =
                played == QLatin1String("stop") ? played : QStringLiteral("file ") + expand(played);
            QTRY_VERIFY2_WITH_TIMEOUT(
                std::any_of(f.fake.media.log.begin(), f.fake.media.log.end(),
                            [&](const QString& line) { return line.endsWith(QLatin1Char(' ') + seen); }),
                qPrintable(f.fake.media.log.join(QLatin1Char('\n'))), 5000);
        }
        // The player window shows while a broadcast plays, and goes with 播音关.
        const bool broadcasting =
            entries.contains(QStringLiteral("播音开")) && !entries.contains(QStringLiteral("播音关"));
        const auto playerShown = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) {
                return w->objectName() == QLatin1String("FromPlayer") && w->isVisible();
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(playerShown(), broadcasting, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f.fake.lineIn.requests, lineIn, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f.fake.power.calls, power, 5000);
        // Nothing of it was meant for the tone player's plain sound or a program.
        QVERIFY(f.fake.launcher.runs.isEmpty());
    }
};

QTEST_MAIN(ResponsesTest)
#include "responses_test.moc"
