#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "bells/alarm_panel.h"
#include "fakes/fake_platform.h"

using quel::alarm::CountDown;
using quel::alarm::Unit;

namespace {

// Runs `ticks` ticks and returns the 1-based ticks on which the sound played.
QList<int> ringingTicks(CountDown& countDown, const QString& length, Unit unit, int ticks) {
    QList<int> rang;
    for (int t = 1; t <= ticks; ++t) {
        if (countDown.step(length, unit))
            rang << t;
    }
    return rang;
}

// The alarm panel on fakes, with the tone player's every call in `fake.media.log`.
struct Panel {
    explicit Panel(const QString& unit)
        : fake(dir.path()), tone(fake.media.create()), alarm(fake.platform, *tone), panel(alarm) {
        alarm.applyAlarmUnit(unit);
        alarm.applyRings(QStringLiteral("/sounds/ring.mp3"), dir.path() + QStringLiteral("/timeup.mp3"));
        panel.fillLists();
    }
    QComboBox* length() const { return panel.findChild<QComboBox*>(QStringLiteral("Combo1")); }
    QLabel* label() const { return panel.findChild<QLabel*>(QStringLiteral("Label3")); }

    QTemporaryDir dir;
    quel::fakes::FakePlatform fake;
    std::unique_ptr<quel::Media> tone;
    quel::Alarm alarm;
    quel::AlarmPanel panel;
};

}  // namespace

class AlarmCountDownTest : public QObject {
    Q_OBJECT

private slots:
    void threeSecondsShowEachTickThenIdle() {
        CountDown countDown;
        countDown.restart(QStringLiteral("3"));
        QStringList shown;
        QList<bool> rang;
        for (int t = 0; t < 4; ++t) {
            rang << countDown.step(QStringLiteral("3"), Unit::Second);
            shown << countDown.display();
        }
        QCOMPARE(shown, (QStringList{"1<", "2<", "3<", "倒计时<"}));
        QCOMPARE(rang, (QList<bool>{false, false, true, false}));
        QCOMPARE(countDown.elapsed(), 0);
    }

    void ringsWhenTheLastUnitIsCounted_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QList<int>>("rang");
        QTest::addRow("2 minutes ring on the 120th counted tick")
            << "2" << Unit::Minute << 130 << QList<int>{120};
        QTest::addRow("1 hour rings on the 3600th counted tick")
            << "1" << Unit::Hour << 3700 << QList<int>{3600};
        QTest::addRow("a whole number written 2.0 counts") << "2.0" << Unit::Second << 5 << QList<int>{2};
        QTest::addRow("2.5 never counts, not being whole") << "2.5" << Unit::Second << 10 << QList<int>{};
        QTest::addRow("an empty length never counts") << "" << Unit::Second << 10 << QList<int>{};
        QTest::addRow("a negative length never counts") << "-3" << Unit::Second << 10 << QList<int>{};
    }
    void ringsWhenTheLastUnitIsCounted() {
        QFETCH(QString, length);
        QFETCH(Unit, unit);
        QFETCH(int, ticks);
        QFETCH(QList<int>, rang);
        CountDown countDown;
        countDown.restart(length);
        QCOMPARE(ringingTicks(countDown, length, unit, ticks), rang);
        if (rang.isEmpty())
            QCOMPARE(countDown.display(), QStringLiteral("倒计时<"));
    }

    void changingTheUnitGoesOnFromTheRemainingCount() {
        CountDown countDown;
        countDown.restart(QStringLiteral("2"));
        QVERIFY(ringingTicks(countDown, QStringLiteral("2"), Unit::Minute, 60).isEmpty());
        QCOMPARE(countDown.remaining(), std::optional<double>(1));
        QVERIFY(countDown.step(QStringLiteral("2"), Unit::Second));
        QCOMPARE(countDown.display(), QStringLiteral("61<"));
    }

    // The whole path through the panel: the operator's inputs and the menu's unit and sound.
    void panelCountsWhatTheOperatorChose() {
        Panel p(QStringLiteral("minute"));
        auto& [dir, fake, tone, alarm, panel] = p;
        QComboBox* length = p.length();
        QLabel* label = p.label();

        alarm.chooseUnit(Unit::Second);
        length->setCurrentIndex(length->findText(QStringLiteral("2")));
        panel.alarmStep({8, 0, 0});
        QCOMPARE(label->text(), QStringLiteral("1<"));

        // Picking the same item again starts over.
        emit length->textActivated(QStringLiteral("2"));
        panel.alarmStep({8, 0, 1});
        QCOMPARE(label->text(), QStringLiteral("1<"));
        QVERIFY(fake.media.log.isEmpty());
        panel.alarmStep({8, 0, 2});
        QCOMPARE(label->text(), QStringLiteral("2<"));
        QCOMPARE(fake.media.log, (QStringList{"m1 file /sounds/ring.mp3", "m1 play"}));
        panel.alarmStep({8, 0, 3});
        QCOMPARE(label->text(), QStringLiteral("倒计时<"));

        // A typed fraction stops any counting.
        length->setEditText(QStringLiteral("2.5"));
        panel.alarmStep({8, 0, 4});
        QCOMPARE(label->text(), QStringLiteral("倒计时<"));
    }

    // Typing a length that matches an item and then clicking elsewhere: Qt reports the matching item as
    // activated when the box loses the focus, which must not start the count again.
    void leavingTheLengthBoxKeepsCounting() {
        Panel p(QStringLiteral("second"));
        QComboBox* length = p.length();
        QLabel* label = p.label();

        QTest::keyClicks(length->lineEdit(), QStringLiteral("30"));
        for (int s = 0; s < 6; ++s)
            p.panel.alarmStep({8, 0, s});
        QCOMPARE(label->text(), QStringLiteral("6<"));
        QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(length->lineEdit(), &leave);
        p.panel.alarmStep({8, 0, 6});
        QCOMPARE(label->text(), QStringLiteral("7<"));
    }
};

QTEST_MAIN(AlarmCountDownTest)
#include "alarm_countdown_test.moc"
