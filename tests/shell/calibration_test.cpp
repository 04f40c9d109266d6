#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "engine/clock_tick.h"
#include "engine/responses.h"
#include "engine/tick_rules.h"
#include "fakes/fake_platform.h"
#include "fakes/quiet_responses.h"
#include "shell/calibration_window.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QDate kDay(2026, 12, 2);

}  // namespace

class CalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowShowsItsTexts();
    void loadShowsTheIntervalAndCalibrates_data();
    void loadShowsTheIntervalAndCalibrates();
    void movingTheSliderSetsTheIntervalAndCalibrates();
    void saveWritesTheFileAndSaysSo();
    void failedSaveIsNotReportedAsSuccess();
    void closingCalibrates();

private:
    // Lets the program clock run ahead of the system clock, so a calibration is visible.
    void driftProgramClock();
    std::unique_ptr<FormJustTimeByHand> openWindow();
    QString intervalFile() const { return dir_->path() + QStringLiteral("/Interval.txt"); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakePlatform> fakes_;
    std::unique_ptr<QuietResponses> responses_;
    std::unique_ptr<ClockTick> tick_;
};

void CalibrationTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    fakes_ = std::make_unique<FakePlatform>(dir_->path());
    fakes_->clock.set(QDateTime(kDay, QTime(8, 0, 0, 200)));
    responses_ = std::make_unique<QuietResponses>();
    tick_ = std::make_unique<ClockTick>(
        fakes_->clock, fakes_->launcher, [&] { return responses_->table; }, *responses_);
    tick_->setProgramClockFromSystem();
    tick_->start();
}

void CalibrationTest::cleanup() {
    tick_.reset();
    responses_.reset();
    fakes_.reset();
    dir_.reset();
}

void CalibrationTest::driftProgramClock() {
    for (int i = 0; i < 5; ++i)
        tick_->tick();  // five seconds on the program clock, none on the system
    QCOMPARE(tick_->programClock(), (ProgramClock{8, 0, 5}));
}

std::unique_ptr<FormJustTimeByHand> CalibrationTest::openWindow() {
    auto window = std::make_unique<FormJustTimeByHand>(*tick_, fakes_->files, fakes_->dialogs, dir_->path());
    window->show();
    return window;
}

void CalibrationTest::windowShowsItsTexts() {
    auto window = openWindow();
    QCOMPARE(window->objectName(), QStringLiteral("FormJustTimeByHand"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quelbrook"));
    const std::pair<const char*, QString> texts[] = {
        {"Label1", QStringLiteral("900")},
        {"Label2", QStringLiteral("1000")},
        {"Label4", QStringLiteral("内部时间比系统时间快<===================")},
        {"Label5", QStringLiteral("内部时间比系统时间慢===================>")},
        {"Label6", QStringLiteral("设置内部时间间隔<==============>")},
    };
    for (const auto& [name, text] : texts) {
        auto* label = window->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), text);
    }
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
             QStringLiteral("保存此间隔设置并退出"));
    auto* slider = window->findChild<QSlider*>(QStringLiteral("Slider1"));
    QCOMPARE(slider->minimum(), 900);
    QCOMPARE(slider->maximum(), 1000);
}

void CalibrationTest::loadShowsTheIntervalAndCalibrates_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("slider");

    QTest::addRow("a calibrated 950 shows as it is") << 950 << 950;
    QTest::addRow("the default 1000 sits at the right end") << 1000 << 1000;
    QTest::addRow("a catching-up 800 shows at the left end") << kCatchUpIntervalMs << 900;
    QTest::addRow("a holding-back 1300 shows at the right end") << kHoldBackIntervalMs << 1000;
}

void CalibrationTest::loadShowsTheIntervalAndCalibrates() {
    QFETCH(int, interval);
    QFETCH(int, slider);
    driftProgramClock();
    tick_->setInterval(interval);
    auto window = openWindow();
    QCOMPARE(window->findChild<QSlider*>(QStringLiteral("Slider1"))->value(), slider);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QString::number(slider));
    // Showing the pace never changes it; only the operator's choice does.
    QCOMPARE(tick_->interval(), interval);
    QCOMPARE(tick_->programClock(), (ProgramClock{8, 0, 0}));
    QVERIFY(tick_->isActive());
}

void CalibrationTest::movingTheSliderSetsTheIntervalAndCalibrates() {
    tick_->setInterval(kHoldBackIntervalMs);
    auto window = openWindow();
    driftProgramClock();
    QCOMPARE(tick_->interval(), kHoldBackIntervalMs);
    auto* slider = window->findChild<QSlider*>(QStringLiteral("Slider1"));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);  // from the right end: 999
    QCOMPARE(tick_->interval(), 999);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("999"));
    QCOMPARE(tick_->programClock(), (ProgramClock{8, 0, 0}));

    slider->setValue(925);
    QCOMPARE(tick_->interval(), 925);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("925"));
}

void CalibrationTest::saveWritesTheFileAndSaysSo() {
    auto window = openWindow();
    window->findChild<QSlider*>(QStringLiteral("Slider1"))->setValue(950);
    driftProgramClock();
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    QCOMPARE(fakes_->files.read(intervalFile()), std::optional<QByteArray>("950\r\n"));
    QCOMPARE(fakes_->dialogs.messages.size(), 1);
    const ShownMessage& m = fakes_->dialogs.messages.first();
    QCOMPARE(m.title, QStringLiteral("Quelbrook"));
    QCOMPARE(m.text, QStringLiteral("内部时间间隔950已设置好并保存到文件中！"));
    QCOMPARE(m.icon, MessageIcon::Information);
    QVERIFY(!window->isVisible());
    QCOMPARE(tick_->programClock(), (ProgramClock{8, 0, 0}));
}

void CalibrationTest::failedSaveIsNotReportedAsSuccess() {
    QVERIFY(fakes_->files.write(intervalFile(), "1000\r\n"));
    fakes_->files.unwritable << intervalFile();
    auto window = openWindow();
    window->findChild<QSlider*>(QStringLiteral("Slider1"))->setValue(930);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    QCOMPARE(fakes_->files.read(intervalFile()), std::optional<QByteArray>("1000\r\n"));
    QCOMPARE(fakes_->dialogs.messages.size(), 1);
    QCOMPARE(fakes_->dialogs.messages.first().text, QStringLiteral("内部时间间隔930无法保存到文件中！"));
    QCOMPARE(fakes_->dialogs.messages.first().icon, MessageIcon::Error);
    // Still open, so the operator can try again; the running tick keeps the chosen pace.
    QVERIFY(window->isVisible());
    QCOMPARE(tick_->interval(), 930);
}

void CalibrationTest::closingCalibrates() {
    auto window = openWindow();
    driftProgramClock();
    const int pace = tick_->interval();
    fakes_->clock.set(QDateTime(kDay, QTime(9, 15, 30, 900)));
    window->close();
    QCOMPARE(tick_->programClock(), (ProgramClock{9, 15, 30}));
    QVERIFY(tick_->isActive());
    QCOMPARE(tick_->interval(), pace);
    QVERIFY(fakes_->dialogs.messages.isEmpty());
    QVERIFY(fakes_->files.writes.isEmpty());
}

QTEST_MAIN(CalibrationTest)
#include "calibration_test.moc"
