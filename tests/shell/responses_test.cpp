// The main window carrying out what the tick decides, on fakes: the whole path from a tick of the
// program clock to a sound, a started program or another table.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "engine/clock_tick.h"
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
        QCOMPARE(f.window->findChild<QTreeWidget*>(QStringLiteral("ListView1"))->topLevelItemCount(), 1);
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

    // Broadcasts, the radio, power-off and the spoken time are carried out by windows that are not
    // built yet: their entries fire and are accepted, and nothing happens.
    void responsesOfWindowsStillToComeDoNothingYet_data() {
        QTest::addColumn<QString>("response");
        QTest::addRow("static broadcast") << QStringLiteral("播音开-静态/lists/a.PLF");
        QTest::addRow("dynamic broadcast") << QStringLiteral("播音开-动态/lists/a.PLF");
        QTest::addRow("broadcast off") << QStringLiteral("播音关");
        QTest::addRow("radio on") << QStringLiteral("收音机开");
        QTest::addRow("radio off") << QStringLiteral("收音机关");
        QTest::addRow("shutdown") << QStringLiteral("关机");
        QTest::addRow("restart") << QStringLiteral("重启");
        QTest::addRow("logoff") << QStringLiteral("注销");
        QTest::addRow("male voice") << QStringLiteral("中文男声报时");
        QTest::addRow("female voice") << QStringLiteral("中文女声报时");
    }
    void responsesOfWindowsStillToComeDoNothingYet() {
        QFETCH(QString, response);
        Fixture f(QStringLiteral("|8:30:00*没有注释>每天<") + response);
        const QString status = label(*f.window, "Label5");
        f.tick();
        QVERIFY(f.fake.media.log.isEmpty());
        QVERIFY(f.fake.launcher.runs.isEmpty());
        QVERIFY(f.fake.dialogs.messages.isEmpty());
        QCOMPARE(f.window->table().entries().size(), 1);
        QVERIFY(f.window->clockTick().isActive());
        // The entry fired: the status line of a quiet tick was not written.
        QCOMPARE(label(*f.window, "Label5"), status);
    }
};

QTEST_MAIN(ResponsesTest)
#include "responses_test.moc"
