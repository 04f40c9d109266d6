// The power-off responses on the fake power service: at once or through a count-down window, one window
// per kind, the close box as cancel, one request per window, and a refusal that keeps the program and
// the window. The count is stepped by the test; no test waits for the wall clock.

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "power/power_off.h"
#include "power/power_windows.h"

using namespace quel;
using namespace quel::fakes;
using State = PowerOff::State;

namespace {

QString text(QWidget* w, const char* name) {
    auto* label = w->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

// Lets queued replies and deferred deletes through.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace

class PowerOffTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<PowerOff> power_;
    std::unique_ptr<PowerOffWindows> windows_;
    std::unique_ptr<QSignalSpy> quit_;

    void setUp(const QString& shut, const QString& restart, const QString& logoff) {
        fake_->files.writeText(dir_.filePath(settings::kShut), shut);
        fake_->files.writeText(dir_.filePath(settings::kRestart), restart);
        fake_->files.writeText(dir_.filePath(settings::kLogoff), logoff);
        fake_->files.writes.clear();
        power_->load();
    }
    PowerOffWindow* window(PowerAction kind) const { return windows_->window(kind); }
    void count(PowerAction kind, int seconds) {
        for (int i = 0; i < seconds; ++i)
            power_->countOneSecond(kind);
        settle();
    }

private slots:
    void init() {
        fake_ = std::make_unique<FakePlatform>(dir_.path());
        power_ = std::make_unique<PowerOff>(fake_->power, fake_->files, dir_.path());
        power_->setAutomaticCount(false);
        windows_ = std::make_unique<PowerOffWindows>(*power_);
        quit_ = std::make_unique<QSignalSpy>(power_.get(), &PowerOff::quitRequested);
        setUp("开60", "开60", "开60");
    }
    void cleanup() {
        quit_.reset();
        windows_.reset();
        power_.reset();
        fake_.reset();
        settle();
    }

    void aWindowCountsDownAndRequestsOnce_data() {
        QTest::addColumn<PowerAction>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("act");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("quits");
        QTest::addRow("shutdown ends the program after the request")
            << PowerAction::Shutdown << "FormShutDownWindows"
            << "秒后程序将强制关机"
            << "立即关机"
            << "取消关机"
            << "shutdown" << 1;
        QTest::addRow("restart keeps the program and the window")
            << PowerAction::Restart << "FormRestartWindows"
            << "秒钟后将强制重新启动"
            << "立即重启"
            << "取消重启"
            << "restart" << 0;
        QTest::addRow("logoff ends the program after the request") << PowerAction::Logoff << "FormLogoff"
                                                                   << "秒后将注销用户"
                                                                   << "立即注销"
                                                                   << "取消注销"
                                                                   << "logoff" << 1;
    }
    void aWindowCountsDownAndRequestsOnce() {
        QFETCH(PowerAction, kind);
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, act);
        QFETCH(QString, cancel);
        QFETCH(QString, call);
        QFETCH(int, quits);
        setUp("开3", "开3", "开3");
        power_->powerOff(kind);
        PowerOffWindow* w = window(kind);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->objectName(), name);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quelbrook"));
        QVERIFY(!w->parent());
        QCOMPARE(
            QStringList({text(w, "Label1"), button(w, "Command1")->text(), button(w, "Command2")->text()}),
            QStringList({label, act, cancel}));
        auto* bar = w->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        QCOMPARE(QList<int>({bar->minimum(), bar->maximum(), bar->value()}), QList<int>({0, 3, 3}));
        QCOMPARE(QStringList({text(w, "Label2"), text(w, "Label3"), text(w, "Label4")}),
                 QStringList({"0", "3", "3"}));

        count(kind, 3);
        QCOMPARE(text(w, "Label4"), QStringLiteral("0"));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(fake_->power.calls, QStringList{});
        count(kind, 1);
        QCOMPARE(fake_->power.calls, QStringList{call});
        QCOMPARE(quit_->size(), quits);
        // The restart window stays, at 0, and asks nothing more however long it stands.
        count(kind, 10);
        QCOMPARE(fake_->power.calls, QStringList{call});
        QCOMPARE(power_->countdown(kind).state, State::Done);
        QCOMPARE(text(window(kind), "Label4"), QStringLiteral("0"));
        QVERIFY(!button(window(kind), "Command1")->isEnabled());
    }

    void offMeansAtOnceWithoutAWindow_data() {
        QTest::addColumn<PowerAction>("kind");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("quits");
        QTest::addRow("shutdown leaves the program to the system") << PowerAction::Shutdown << ""
                                                                   << "shutdown" << 0;
        QTest::addRow("restart leaves the program to the system") << PowerAction::Restart << ""
                                                                  << "restart" << 0;
        QTest::addRow("logoff ends the program") << PowerAction::Logoff << ""
                                                 << "logoff" << 1;
        QTest::addRow("a refused logoff keeps the schedule running") << PowerAction::Logoff << "Access denied"
                                                                     << "logoff" << 0;
    }
    void offMeansAtOnceWithoutAWindow() {
        QFETCH(PowerAction, kind);
        QFETCH(QString, refusal);
        QFETCH(QString, call);
        QFETCH(int, quits);
        setUp("关60", "关60", "关60");
        fake_->power.failWith = refusal;
        if (!refusal.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qPrintable("power request refused: " + refusal));
        power_->powerOff(kind);
        QCOMPARE(fake_->power.calls, QStringList{call});  // not interactive: no password prompt at night
        settle();
        QCOMPARE(quit_->size(), quits);
        QVERIFY(!window(kind));
        QCOMPARE(power_->countdown(kind).state, State::Closed);
    }

    void oneWindowPerKindKeepsItsCount() {
        power_->powerOff(PowerAction::Shutdown);
        PowerOffWindow* first = window(PowerAction::Shutdown);
        count(PowerAction::Shutdown, 5);
        power_->powerOff(PowerAction::Shutdown);
        QCOMPARE(window(PowerAction::Shutdown), first);
        QCOMPARE(text(first, "Label4"), QStringLiteral("55"));
        power_->powerOff(PowerAction::Restart);
        QVERIFY(window(PowerAction::Restart) && window(PowerAction::Restart) != first);
        QCOMPARE(text(window(PowerAction::Restart), "Label4"), QStringLiteral("60"));
    }

    void theCloseBoxCancels() {
        power_->powerOff(PowerAction::Shutdown);
        count(PowerAction::Shutdown, 3);
        QVERIFY(window(PowerAction::Shutdown)->close());
        settle();
        QVERIFY(!window(PowerAction::Shutdown));
        count(PowerAction::Shutdown, 100);
        QCOMPARE(fake_->power.calls, QStringList{});
        // The next firing starts afresh, with the setting as it is now.
        QVERIFY(power_->changeSetting(PowerAction::Shutdown, QStringLiteral("开20")));
        power_->powerOff(PowerAction::Shutdown);
        QCOMPARE(text(window(PowerAction::Shutdown), "Label4"), QStringLiteral("20"));
    }

    void cancelStopsTheCount() {
        power_->powerOff(PowerAction::Logoff);
        button(window(PowerAction::Logoff), "Command2")->click();
        settle();
        QVERIFY(!window(PowerAction::Logoff));
        count(PowerAction::Logoff, 100);
        QCOMPARE(fake_->power.calls, QStringList{});
        QCOMPARE(quit_->size(), 0);
    }

    void aRefusalKeepsTheProgramAndTheWindow() {
        setUp("开1", "开60", "开60");
        fake_->power.failWith = QStringLiteral("Access denied");
        QTest::ignoreMessage(QtWarningMsg, "power request refused: Access denied");
        power_->powerOff(PowerAction::Shutdown);
        count(PowerAction::Shutdown, 2);
        PowerOffWindow* w = window(PowerAction::Shutdown);
        QVERIFY(w && w->isVisible());
        QCOMPARE(text(w, "Label1"), QStringLiteral("关机失败：Access denied"));
        QCOMPARE(quit_->size(), 0);
        count(PowerAction::Shutdown, 10);
        QCOMPARE(fake_->power.calls, QStringList{"shutdown"});
        // 立即关机 tries again, and may ask for a password now that someone is there.
        fake_->power.failWith.clear();
        QVERIFY(button(w, "Command1")->isEnabled());
        button(w, "Command1")->click();
        settle();
        QCOMPARE(fake_->power.calls, QStringList({"shutdown", "shutdown interactive"}));
        QCOMPARE(quit_->size(), 1);
    }

    void actNowCannotAskTwiceWhileWaiting() {
        fake_->power.holdReplies = true;
        power_->powerOff(PowerAction::Restart);
        QPushButton* act = button(window(PowerAction::Restart), "Command1");
        act->click();
        act->click();
        count(PowerAction::Restart, 100);
        QCOMPARE(fake_->power.calls, QStringList{"restart interactive"});
        QVERIFY(!act->isEnabled());
    }

    void aLateAnswerDoesNotReachALaterWindow() {
        fake_->power.holdReplies = true;
        power_->powerOff(PowerAction::Restart);
        button(window(PowerAction::Restart), "Command1")->click();
        power_->cancel(PowerAction::Restart);
        power_->powerOff(PowerAction::Restart);
        QTest::ignoreMessage(QtWarningMsg, "power request refused: too late");
        fake_->power.answer(QStringLiteral("too late"));
        settle();
        QCOMPARE(power_->countdown(PowerAction::Restart).state, State::Counting);
        QCOMPARE(text(window(PowerAction::Restart), "Label1"), QStringLiteral("秒钟后将强制重新启动"));
    }

    void anAcceptedRequestStopsTheOtherWindows() {
        setUp("开60", "开1", "开60");
        power_->powerOff(PowerAction::Shutdown);
        power_->powerOff(PowerAction::Logoff);
        power_->powerOff(PowerAction::Restart);
        count(PowerAction::Restart, 2);
        QCOMPARE(fake_->power.calls, QStringList{"restart"});
        QVERIFY(!window(PowerAction::Shutdown));
        QVERIFY(!window(PowerAction::Logoff));
        QVERIFY(window(PowerAction::Restart));
        count(PowerAction::Shutdown, 100);
        count(PowerAction::Logoff, 100);
        QCOMPARE(fake_->power.calls, QStringList{"restart"});
    }

    // Each way a power-off ends is told once, with what really happened: the history writes it.
    void eachPowerOffEndsOnceWithItsOutcome_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("failWith");
        QTest::addColumn<QString>("operatorDoes");  // "", "cancel", "close", "act now"
        QTest::addColumn<QStringList>("ends");
        QTest::addRow("counted down and accepted") << "开3"
                                                   << ""
                                                   << "" << QStringList{"accepted"};
        QTest::addRow("cancelled with 取消关机") << "开3"
                                                 << ""
                                                 << "cancel" << QStringList{"cancelled"};
        QTest::addRow("closed by its close box") << "开3"
                                                 << ""
                                                 << "close" << QStringList{"cancelled"};
        QTest::addRow("cut short with 立即关机") << "开3"
                                                 << ""
                                                 << "act now" << QStringList{"accepted"};
        QTest::addRow("counted down and refused") << "开3"
                                                  << "Access denied"
                                                  << "" << QStringList{"refused Access denied"};
        // The window stays after a refusal; closing it then is no second end.
        QTest::addRow("refused, then the window closed")
            << "开3"
            << "Access denied"
            << "cancel after" << QStringList{"refused Access denied"};
        QTest::addRow("at once, accepted") << "关60"
                                           << ""
                                           << "" << QStringList{"accepted"};
        QTest::addRow("at once, refused") << "关60"
                                          << "No login manager"
                                          << "" << QStringList{"refused No login manager"};
    }
    void eachPowerOffEndsOnceWithItsOutcome() {
        QFETCH(QString, setting);
        QFETCH(QString, failWith);
        QFETCH(QString, operatorDoes);
        QFETCH(QStringList, ends);
        setUp(setting, "开60", "开60");
        fake_->power.failWith = failWith;
        QStringList told;
        connect(power_.get(), &PowerOff::settled, this,
                [&told](PowerAction kind, PowerOff::Result result, const QString& reason) {
                    QCOMPARE(kind, PowerAction::Shutdown);
                    told << (result == PowerOff::Result::Accepted    ? QStringLiteral("accepted")
                             : result == PowerOff::Result::Cancelled ? QStringLiteral("cancelled")
                                                                     : QStringLiteral("refused ") + reason);
                });
        power_->powerOff(PowerAction::Shutdown);
        settle();
        PowerOffWindow* w = window(PowerAction::Shutdown);
        if (operatorDoes == "cancel")
            button(w, "Command2")->click();
        else if (operatorDoes == "close")
            w->close();
        else if (operatorDoes == "act now")
            button(w, "Command1")->click();
        else
            count(PowerAction::Shutdown, 4);
        settle();
        if (operatorDoes == "cancel after")
            button(window(PowerAction::Shutdown), "Command2")->click();
        settle();
        QCOMPARE(told, ends);
    }

    void anAcceptedPowerOffClosesTheOtherWindowsAndSaysWhy() {
        setUp("开3", "开60", "开60");
        power_->powerOff(PowerAction::Restart);
        power_->powerOff(PowerAction::Shutdown);
        QStringList told;
        connect(power_.get(), &PowerOff::settled, this,
                [&told](PowerAction kind, PowerOff::Result result, const QString& reason) {
                    told << powerActionName(kind) + QString::number(int(result)) + reason;
                });
        count(PowerAction::Shutdown, 4);
        settle();
        // The restart's window closed before the answer was out: cancelled, and why.
        QCOMPARE(told, (QStringList{"重启1已执行关机", "关机0"}));
    }

    void theTimerRunsOnlyWhileCounting() {
        power_->setAutomaticCount(true);
        power_->powerOff(PowerAction::Shutdown);
        auto runningTimers = [this] {
            int n = 0;
            for (QTimer* t : power_->findChildren<QTimer*>())
                n += t->isActive() ? 1 : 0;
            return n;
        };
        QCOMPARE(runningTimers(), 1);
        fake_->power.holdReplies = true;
        power_->actNow(PowerAction::Shutdown);
        QCOMPARE(runningTimers(), 0);
    }

    // Over the other windows, in the middle of the screen, and deaf to stray keys: even with the
    // keyboard, no key that lands on it powers off.
    void aStrayKeyNeverPowersOff_data() {
        QTest::addColumn<int>("key");
        QTest::addRow("Enter") << int(Qt::Key_Enter);
        QTest::addRow("Return") << int(Qt::Key_Return);
        QTest::addRow("Space") << int(Qt::Key_Space);
        QTest::addRow("Tab, then Space") << int(Qt::Key_Tab);
    }
    void aStrayKeyNeverPowersOff() {
        QFETCH(int, key);
        power_->powerOff(PowerAction::Shutdown);
        PowerOffWindow* w = window(PowerAction::Shutdown);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
        const QPoint off =
            w->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
        // The worst case: the operator clicked it, and it has the keyboard.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->windowHandle(), Qt::Key(key));
        if (key == Qt::Key_Tab)
            QTest::keyClick(w->windowHandle(), Qt::Key_Space);
        settle();
        QCOMPARE(fake_->power.calls, QStringList());
    }

    // A click reaches 取消 through the window system while a box is open, as the operator's would. A
    // click sent to the widget itself would pass any modal block and prove nothing.
    void cancelWorksWhileABoxIsOpen_data() {
        QTest::addColumn<bool>("countdownActive");
        QTest::addRow("box of the main window") << false;
        QTest::addRow("box opened while the count-down was the active window") << true;
    }
    void cancelWorksWhileABoxIsOpen() {
        QFETCH(bool, countdownActive);
        QWidget mainWindow;
        mainWindow.resize(300, 200);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        power_->powerOff(PowerAction::Shutdown);
        PowerOffWindow* w = window(PowerAction::Shutdown);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget* active = countdownActive ? static_cast<QWidget*>(w) : &mainWindow;
        active->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(active));

        bool clicked = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(QApplication::activeModalWidget());
            QPushButton* cancel = button(w, "Command2");
            QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                              cancel->mapTo(w, cancel->rect().center()));
            clicked = true;
            qobject_cast<QDialog*>(QApplication::activeModalWidget())->done(0);
        });
        WidgetDialogs().message(QStringLiteral("Quelbrook"), QStringLiteral("真要退出程序吗?"),
                                MessageIcon::Question, MessageButtons::YesNo);
        QVERIFY(clicked);
        QCOMPARE(power_->countdown(PowerAction::Shutdown).state, State::Closed);
    }
};

QTEST_MAIN(PowerOffTest)
#include "power_off_test.moc"
