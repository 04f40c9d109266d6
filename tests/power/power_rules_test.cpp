// The power-off settings as the count-down windows and the menus read and write them, and the count
// of one window second by second.

#include <QtTest>

#include "power/power_rules.h"

using namespace quel;

class PowerRulesTest : public QObject {
    Q_OBJECT
private slots:
    void waitingTimeCountsDownAndRequestsOnce_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("seconds");
        QTest::addRow("开60 counts 60") << "开60" << 60;
        QTest::addRow("a blank before the seconds is skipped") << "开 30" << 30;
        QTest::addRow("one second is kept") << "开1" << 1;
        QTest::addRow("zero would power off at once: 60") << "开0" << 60;
        QTest::addRow("no seconds: 60") << "开" << 60;
        QTest::addRow("not a number: 60") << "开abc" << 60;
        QTest::addRow("negative: 60") << "开-5" << 60;
        QTest::addRow("below one second: 60") << "开0.5" << 60;
        QTest::addRow("a fraction is cut off") << "开30.5" << 30;
        QTest::addRow("infinity is not a number: 60") << "开inf" << 60;
        QTest::addRow("beyond the largest setting: the largest") << "开99999" << 32767;
        QTest::addRow("no mark: 60") << "45" << 60;
        QTest::addRow("missing file: 60") << "" << 60;
    }
    void waitingTimeCountsDownAndRequestsOnce() {
        QFETCH(QString, setting);
        QFETCH(int, seconds);
        PowerCountdown count;
        count.start(power::waitingSeconds(setting));
        QCOMPARE(count.maximum(), seconds);
        QCOMPARE(count.left(), seconds);
        // The label shows N, N-1, … 0; the step after 0 asks for the request.
        for (int shown = seconds - 1; shown >= 0; --shown) {
            QCOMPARE(count.step(), PowerCountdown::Step::Continue);
            QCOMPARE(count.left(), shown);
        }
        QCOMPARE(count.step(), PowerCountdown::Step::Request);
        for (int later = 0; later < 3; ++later) {
            QCOMPARE(count.step(), PowerCountdown::Step::Continue);
            QCOMPARE(count.left(), 0);
        }
    }

    void aRestartedCountAsksAgain() {
        PowerCountdown count;
        count.start(1);
        count.step();
        QCOMPARE(count.step(), PowerCountdown::Step::Request);
        count.start(1);
        QCOMPARE(count.left(), 1);
        count.step();
        QCOMPARE(count.step(), PowerCountdown::Step::Request);
    }

    void switchingTheWindowKeepsTheSeconds_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("written");
        QTest::addRow("off") << "开60" << false << "关60";
        QTest::addRow("on again") << "关60" << true << "开60";
        QTest::addRow("seconds kept as they are") << "开abc" << false << "关abc";
        QTest::addRow("mark without seconds gets 60") << "开" << false << "关60";
        QTest::addRow("bare number gets its mark and 60") << "60" << false << "关60";
        QTest::addRow("empty gets its mark and 60") << "" << true << "开60";
    }
    void switchingTheWindowKeepsTheSeconds() {
        QFETCH(QString, setting);
        QFETCH(bool, on);
        QFETCH(QString, written);
        QCOMPARE(power::withConfirmation(setting, on), written);
        QCOMPARE(power::confirmationOf(written), std::optional<bool>(on));
    }

    void newSecondsKeepTheMark_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("written");
        QTest::addRow("关 stays off") << "关60"
                                      << "关30";
        QTest::addRow("开 stays on") << "开abc"
                                     << "开30";
        QTest::addRow("no mark behaved as on") << "60"
                                               << "开30";
    }
    void newSecondsKeepTheMark() {
        QFETCH(QString, setting);
        QFETCH(QString, written);
        QCOMPARE(power::withSeconds(setting, 30), written);
    }

    void typedWaitingTime_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("seconds");  // 0: refused
        QTest::addRow("two is the least") << "2" << 2;
        QTest::addRow("thirty") << "30" << 30;
        QTest::addRow("the largest") << "32767" << 32767;
        QTest::addRow("full-width digits of an input method") << "３０" << 30;
        QTest::addRow("blanks around, full-width blank included") << "\u3000 30 " << 30;
        QTest::addRow("leading zeros are dropped") << "007" << 7;
        QTest::addRow("one is refused") << "1" << 0;
        QTest::addRow("zero is refused") << "0" << 0;
        QTest::addRow("one more than the largest") << "32768" << 0;
        QTest::addRow("far too long does not overflow") << "99999999999999999999" << 0;
        QTest::addRow("trailing letters") << "30abc" << 0;
        QTest::addRow("a fraction") << "1.5" << 0;
        QTest::addRow("negative") << "-5" << 0;
        QTest::addRow("a plus sign") << "+5" << 0;
        QTest::addRow("a blank inside") << "3 0" << 0;
        QTest::addRow("digits of another script") << "\u0663\u0660" << 0;
        QTest::addRow("nothing") << "   " << 0;
    }
    void typedWaitingTime() {
        QFETCH(QString, answer);
        QFETCH(int, seconds);
        QCOMPARE(power::parseWaitAnswer(answer).value_or(0), seconds);
    }
};

QTEST_GUILESS_MAIN(PowerRulesTest)
#include "power_rules_test.moc"
