#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "bells/alarm.h"
#include "fakes/fake_platform.h"
#include "shell/bell_menus.h"

using quel::alarm::Unit;

class AlarmMenuTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<quel::fakes::FakePlatform> fake_;
    std::unique_ptr<quel::Media> tone_;
    std::unique_ptr<quel::Alarm> alarm_;
    std::unique_ptr<quel::AlarmMenu> menu_;

    QString builtIn() const { return dir_.path() + "/timeup.mp3"; }
    QString expand(QString s) const { return s.replace("<built-in>", builtIn()); }
    QMenu* menu() { return menu_->menu(); }
    QAction* item(const QString& name) { return menu()->findChild<QAction*>(name); }
    QStringList tickedUnits() {
        QStringList names;
        for (const char* n : {"Sec", "Min", "Hou"}) {
            if (item(QLatin1String(n))->isChecked())
                names << QLatin1String(n);
        }
        return names;
    }
    QByteArray file(const QString& name) {
        return fake_->files.read(dir_.path() + '/' + name).value_or("missing");
    }
    static QByteArray quoted(const QString& value) { return '"' + value.toUtf8() + "\"\r\n"; }

private slots:
    void init() {
        fake_ = std::make_unique<quel::fakes::FakePlatform>(dir_.path());
        tone_ = fake_->media.create();
        alarm_ = std::make_unique<quel::Alarm>(fake_->platform, *tone_);
        menu_ = std::make_unique<quel::AlarmMenu>(*alarm_);
    }
    void cleanup() {
        menu_.reset();
        alarm_.reset();
        tone_.reset();
        fake_.reset();
    }

    void unitMenusTickAndRewriteTheUnit_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("stored");
        QTest::addRow("小时 counts hours") << "Hou" << Unit::Hour << "闹铃[单位时]"
                                           << "hour";
        QTest::addRow("分钟 counts minutes") << "Min" << Unit::Minute << "闹铃[单位分]"
                                             << "minute";
        QTest::addRow("秒钟 counts seconds") << "Sec" << Unit::Second << "闹铃[单位秒]"
                                             << "second";
    }
    void unitMenusTickAndRewriteTheUnit() {
        QFETCH(QString, clicked);
        QFETCH(Unit, unit);
        QFETCH(QString, caption);
        QFETCH(QString, stored);
        alarm_->applyAlarmUnit("minute");
        item(clicked)->trigger();  // clicking the ticked 分钟 must keep it ticked too
        QCOMPARE(alarm_->unit(), unit);
        QCOMPARE(tickedUnits(), QStringList{clicked});
        QCOMPARE(menu()->title(), caption);
        QCOMPARE(file("timeset.txt"), quoted(stored));
    }

    void startupUnit_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("alarmCaption");
        QTest::addColumn<QString>("unitCaption");
        QTest::addRow("second") << "second"
                                << "Sec"
                                << "闹铃[单位秒]"
                                << "单位设置";
        QTest::addRow("a capital Minute is no unit") << "Minute"
                                                     << "Min"
                                                     << "闹铃"
                                                     << "计时:分";
        QTest::addRow("an empty file is no unit") << ""
                                                  << "Min"
                                                  << "闹铃"
                                                  << "计时:分";
    }
    void startupUnit() {
        QFETCH(QString, stored);
        QFETCH(QString, ticked);
        QFETCH(QString, alarmCaption);
        QFETCH(QString, unitCaption);
        QCOMPARE(alarm_->applyAlarmUnit(stored), unitCaption == "单位设置");
        QCOMPARE(tickedUnits(), QStringList{ticked});
        QCOMPARE(menu()->title(), alarmCaption);
        QCOMPARE(menu()->findChild<QMenu*>("UnitName")->title(), unitCaption);
    }

    void startupRing_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("ring");
        QTest::addColumn<bool>("defaultOffered");
        QTest::addRow("an empty file falls back to the built-in sound") << ""
                                                                        << "<built-in>" << false;
        QTest::addRow("the built-in sound itself") << "<built-in>"
                                                   << "<built-in>" << false;
        QTest::addRow("another sound") << "/music/bell.ogg"
                                       << "/music/bell.ogg" << true;
    }
    void startupRing() {
        QFETCH(QString, stored);
        QFETCH(QString, ring);
        QFETCH(bool, defaultOffered);
        QCOMPARE(alarm_->applyRings(expand(stored), builtIn()), !stored.isEmpty());
        QCOMPARE(alarm_->userRing(), expand(ring));
        QCOMPARE(item("CurrentRing")->text(), expand(ring));
        QCOMPARE(item("humor")->isEnabled(), defaultOffered);
        QVERIFY(fake_->files.writes.isEmpty());
    }

    void aRingNamedInAnotherCaseIsTheBuiltInOne() {
        QVERIFY(QFile(builtIn()).open(QIODevice::WriteOnly));
        const QString windowsSpelling = dir_.path() + "/TIMEUP.MP3";
        QVERIFY(alarm_->applyRings(windowsSpelling, builtIn()));
        QCOMPARE(alarm_->userRing(), windowsSpelling);
        QVERIFY(!item("humor")->isEnabled());
        item("menuTryRing")->trigger();
        QCOMPARE(fake_->media.log, (QStringList{"m1 file " + builtIn(), "m1 play"}));
        QVERIFY(fake_->files.writes.isEmpty());
        QFile::remove(builtIn());
    }

    void choosingARingPlaysAndStoresIt_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("ring");
        QTest::addColumn<bool>("defaultOffered");
        QTest::addRow("another sound offers the default again") << "/music/bell.ogg"
                                                                << "/music/bell.ogg" << true;
        QTest::addRow("the built-in sound withholds the default") << "<built-in>"
                                                                  << "<built-in>" << false;
        // Linux paths keep their case: the upper-cased path is another file.
        QTest::addRow("the built-in path upper-cased is another sound") << "<UPPER>"
                                                                        << "<UPPER>" << true;
        QTest::addRow("cancelled keeps and still writes the old sound") << ""
                                                                        << "/old/ring.wav" << true;
    }
    void choosingARingPlaysAndStoresIt() {
        QFETCH(QString, chosen);
        QFETCH(QString, ring);
        QFETCH(bool, defaultOffered);
        chosen = expand(chosen).replace("<UPPER>", builtIn().toUpper());
        ring = expand(ring).replace("<UPPER>", builtIn().toUpper());
        alarm_->applyRings("/old/ring.wav", builtIn());
        fake_->dialogs.fileAnswers.push_back(chosen);
        item("RingChoose")->trigger();

        QCOMPARE(fake_->dialogs.fileDialogs.size(), 1);
        const quel::FileRequest request = fake_->dialogs.fileDialogs.first().request;
        QCOMPARE(request.title, "请选择外部铃声：");
        QCOMPARE(request.folder, dir_.path());
        QCOMPARE(request.filter,
                 "所有可以播放的文件|*.avi;*.asf;*.asx;*.rmi;*.wav;*.wma;*.wax;*.mpg;*.mpeg;*.m1v;*.mp2;*."
                 "mp3;*.mpa;"
                 "*.mpe;*.mid;*.rmi;*.qt;*.aif;*.aifc;*.aiff;*.mov;*.au;*.snd");
        QCOMPARE(alarm_->userRing(), ring);
        QCOMPARE(item("CurrentRing")->text(), ring);
        QCOMPARE(item("humor")->isEnabled(), defaultOffered);
        QCOMPARE(file("Userwav.txt"), quoted(ring));
        QCOMPARE(fake_->media.log,
                 (chosen.isEmpty() ? QStringList{} : QStringList{"m1 file " + ring, "m1 play"}));
    }

    // The choice still holds for this run, so the menu alone would never show that the file kept the old one.
    void aChoiceThatCannotBeWrittenIsTold_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("file");
        QTest::addRow("a unit") << "Hou"
                                << "timeset.txt";
        QTest::addRow("another ring") << "RingChoose"
                                      << "Userwav.txt";
        QTest::addRow("the built-in ring") << "humor"
                                           << "Userwav.txt";
    }
    void aChoiceThatCannotBeWrittenIsTold() {
        QFETCH(QString, clicked);
        QFETCH(QString, file);
        alarm_->applyRings("/music/bell.ogg", builtIn());
        fake_->dialogs.fileAnswers.push_back("/music/other.ogg");
        const QString path = dir_.path() + '/' + file;
        fake_->files.unwritable.insert(path);
        QSignalSpy told(alarm_.get(), &quel::Alarm::notSaved);
        item(clicked)->trigger();
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().first().toString(), path);
    }

    void defaultRingRestoresTheBuiltInSound() {
        alarm_->applyRings("/music/bell.ogg", builtIn());
        item("humor")->trigger();
        QCOMPARE(alarm_->userRing(), builtIn());
        QVERIFY(!item("humor")->isEnabled());
        QCOMPARE(file("Userwav.txt"), quoted(builtIn()));
        QCOMPARE(fake_->media.log, (QStringList{"m1 file " + builtIn(), "m1 play"}));
    }

    void tryStopAndEndOfStream() {
        alarm_->applyRings("/music/rock&roll.mp3", builtIn());
        // A path's "&" is shown, not taken for a shortcut marker.
        QCOMPARE(item("CurrentRing")->iconText(), "/music/rock&roll.mp3");
        item("menuTryRing")->trigger();
        item("menustopsound")->trigger();
        QCOMPARE(fake_->media.log, (QStringList{"m1 file /music/rock&roll.mp3", "m1 play", "m1 stop"}));
        fake_->media.made.first()->finish();
        QCOMPARE(tone_->fileName(), QString());
    }
};

QTEST_MAIN(AlarmMenuTest)
#include "alarm_menu_test.moc"
