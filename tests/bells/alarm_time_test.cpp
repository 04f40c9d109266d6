#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "bells/alarm_panel.h"
#include "fakes/fake_platform.h"

using quel::alarm::AlarmTime;

class AlarmTimeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<quel::fakes::FakePlatform> fake_;
    std::unique_ptr<quel::Media> tone_;
    std::unique_ptr<quel::Alarm> alarm_;
    std::unique_ptr<quel::AlarmPanel> panel_;

    QComboBox* combo(const QString& name) { return panel_->findChild<QComboBox*>(name); }

private slots:
    void init() {
        fake_ = std::make_unique<quel::fakes::FakePlatform>(dir_.path());
        tone_ = fake_->media.create();
        alarm_ = std::make_unique<quel::Alarm>(fake_->platform, *tone_);
        alarm_->applyRings("/sounds/ring.mp3", dir_.path() + "/timeup.mp3");
        panel_ = std::make_unique<quel::AlarmPanel>(*alarm_);
        panel_->fillLists();
    }
    void cleanup() {
        panel_.reset();
        alarm_.reset();
        tone_.reset();
        fake_.reset();
    }

    void reachedAt805_data() {
        QTest::addColumn<AlarmTime>("alarmTime");
        QTest::addColumn<bool>("rings");
        QTest::addRow("picked 8 5 0 rings") << AlarmTime{"8", "5", "0"} << true;
        QTest::addRow("typed 8 05 00 rings as well") << AlarmTime{"8", "05", "00"} << true;
        QTest::addRow("an hour typed 08 rings") << AlarmTime{"08", "5", "0"} << true;
        QTest::addRow("a minute typed 005 rings") << AlarmTime{"8", "005", "0"} << true;
        QTest::addRow("an hour of 1.5 never rings") << AlarmTime{"1.5", "5", "0"} << false;
        QTest::addRow("another second does not ring") << AlarmTime{"8", "5", "1"} << false;
        QTest::addRow("an empty second means no alarm time") << AlarmTime{"8", "5", ""} << false;
    }
    void reachedAt805() {
        QFETCH(AlarmTime, alarmTime);
        QFETCH(bool, rings);
        QCOMPARE(quel::alarm::reached(alarmTime, {8, 5, 0}), rings);
    }

    void inputChecksClearWhatCannotBeATime_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addRow("hour 23 stays") << "Combo2"
                                       << "23"
                                       << "23";
        QTest::addRow("hour 24 is cleared") << "Combo2"
                                            << "24"
                                            << "";
        QTest::addRow("hour -1 is cleared") << "Combo2"
                                            << "-1"
                                            << "";
        QTest::addRow("hour 1.5 stays, a fraction passes") << "Combo2"
                                                           << "1.5"
                                                           << "1.5";
        QTest::addRow("minute 60 is cleared") << "Combo3"
                                              << "60"
                                              << "";
        QTest::addRow("second 05 stays as typed") << "Combo4"
                                                  << "05"
                                                  << "05";
        QTest::addRow("second of letters is cleared") << "Combo4"
                                                      << "ab"
                                                      << "";
    }
    void inputChecksClearWhatCannotBeATime() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        combo(name)->setEditText(typed);
        QCOMPARE(combo(name)->currentText(), kept);
    }

    void fillLeavesEveryInputEmpty() {
        QCOMPARE(combo("Combo1")->itemText(combo("Combo1")->count() - 1), "180");
        QCOMPARE(combo("Combo2")->count(), 24);
        for (const char* name : {"Combo1", "Combo2", "Combo3", "Combo4"})
            QCOMPARE(combo(name)->currentText(), "");
        panel_->alarmStep({0, 0, 0});
        QVERIFY(fake_->media.log.isEmpty());
    }

    void alarmTimeRingsOnceAndClears() {
        combo("Combo2")->setEditText("8");
        combo("Combo3")->setEditText("05");
        combo("Combo4")->setEditText("00");
        panel_->alarmStep({8, 4, 59});
        QVERIFY(fake_->media.log.isEmpty());
        panel_->alarmStep({8, 5, 0});
        QCOMPARE(fake_->media.log, (QStringList{"m1 file /sounds/ring.mp3", "m1 play"}));
        for (const char* name : {"Combo2", "Combo3", "Combo4"})
            QCOMPARE(combo(name)->currentText(), "");
        fake_->media.log.clear();
        panel_->alarmStep({8, 5, 0});  // the same second a day later
        QVERIFY(fake_->media.log.isEmpty());
    }
};

QTEST_MAIN(AlarmTimeTest)
#include "alarm_time_test.moc"
