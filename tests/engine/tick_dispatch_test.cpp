#include <QTest>
#include <QTimer>

#include "engine/clock_tick.h"
#include "engine/responses.h"
#include "engine/status_line.h"
#include "engine/tick_rules.h"
#include "fakes/fake_platform.h"

using namespace quel;
using quel::fakes::FakeClock;
using quel::fakes::FakeLauncher;

namespace {

// Notes every call as one line, with the state of the tick's timer at the moment of the call, so a test
// reads what ran, in which order, and whether the tick could have run again meanwhile.
class RecordingResponses final : public Responses {
public:
    void broadcastOn(const QString& path, PlayOrder order) override {
        note(QStringLiteral("broadcastOn ") + path +
             (order == PlayOrder::Shuffled ? QStringLiteral(" shuffled") : QStringLiteral(" stored")));
    }
    void broadcastOff() override { note(QStringLiteral("broadcastOff")); }
    void radio(bool on) override { note(on ? QStringLiteral("radio on") : QStringLiteral("radio off")); }
    void powerOff(PowerAction a) override {
        const char* names[] = {"shutdown", "restart", "logoff"};
        note(QStringLiteral("powerOff ") + QLatin1String(names[int(a)]));
    }
    void openTableByResponse(const QString& path) override {
        note(QStringLiteral("openTableByResponse ") + path);
    }
    void sayTime(Voice v, const ProgramClock& c) override {
        note((v == Voice::Male ? QStringLiteral("sayTime male ") : QStringLiteral("sayTime female ")) +
             c.text());
    }
    void playTone(const QString& path) override { note(QStringLiteral("playTone ") + path); }

    // The tick's per-second signals, noted in the order they arrive.
    void listenTo(ClockTick& t) {
        tick = &t;
        QObject::connect(&t, &ClockTick::advanced, [this](const ProgramClock& c) { chimes << c.text(); });
        QObject::connect(&t, &ClockTick::quietSecond,
                         [this](const ProgramClock& c) { calls << QStringLiteral("alarmStep ") + c.text(); });
        QObject::connect(&t, &ClockTick::statusChanged,
                         [this](const QString& line) { calls << QStringLiteral("showStatus ") + line; });
    }

    QStringList table;
    QStringList calls;
    QStringList chimes;
    ClockTick* tick = nullptr;

private:
    void note(const QString& what) {
        calls << what + (tick->isActive() ? QStringLiteral(" [tick on]") : QStringLiteral(" [tick off]"));
    }
};

const QDate kWednesday(2026, 12, 2);

}  // namespace

class TickDispatchTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void timerIsPreciseAndNamed();
    void entryFiresAtItsSecondOnly();
    void dayRules_data();
    void dayRules();
    void rows_data();
    void rows();
    void onlyTheFirstDueEntryFires();
    void firedTickSkipsAlarmAndStatus();
    void quietTickRunsAlarmThenStatus();
    void chimeHearsEveryTickAfterTheAdvance();
    void steeringComparesBeforeTheAdvance_data();
    void steeringComparesBeforeTheAdvance();
    void datesAreThoseOfTheProgramClock_data();
    void datesAreThoseOfTheProgramClock();
    void aProgramClockBehindMidnightKeepsTheOldDay();
    void justMyTimeSetsTheClockAndKeepsThePace();
    void justMyTimeAsAResponse();
    void unusableIntervalFallsBackToTheDefault_data();
    void unusableIntervalFallsBackToTheDefault();

private:
    // Sets the program clock to `clock` by calibrating at that system time, then moves the system
    // clock to `system`.
    void startAt(const QTime& clock, const QTime& system);

    std::unique_ptr<FakeClock> systemClock_;
    std::unique_ptr<FakeLauncher> launcher_;
    std::unique_ptr<RecordingResponses> responses_;
    std::unique_ptr<ClockTick> tick_;
};

void TickDispatchTest::init() {
    systemClock_ = std::make_unique<FakeClock>(QDateTime(kWednesday, QTime(8, 0, 0)), 5 * 3600 * 1000);
    launcher_ = std::make_unique<FakeLauncher>();
    responses_ = std::make_unique<RecordingResponses>();
    tick_ = std::make_unique<ClockTick>(
        *systemClock_, *launcher_, [&] { return responses_->table; }, *responses_);
    responses_->listenTo(*tick_);
}

void TickDispatchTest::cleanup() {
    tick_.reset();
    responses_.reset();
}

void TickDispatchTest::startAt(const QTime& clock, const QTime& system) {
    systemClock_->set(QDateTime(systemClock_->now().date(), clock));
    tick_->setProgramClockFromSystem();
    systemClock_->set(QDateTime(systemClock_->now().date(), system));
    tick_->start();
}

void TickDispatchTest::timerIsPreciseAndNamed() {
    auto* timer = tick_->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    QCOMPARE(timer->interval(), kDefaultIntervalMs);
    tick_->setInterval(950);
    QCOMPARE(timer->interval(), 950);
}

void TickDispatchTest::entryFiresAtItsSecondOnly() {
    responses_->table = {QStringLiteral("8:00:02*c>每天<播音关")};
    startAt(QTime(8, 0, 0), QTime(8, 0, 1));
    tick_->tick();  // 8:00:01
    QVERIFY(!responses_->calls.join('\n').contains(QStringLiteral("broadcastOff")));
    tick_->tick();  // 8:00:02
    QVERIFY(responses_->calls.contains(QStringLiteral("broadcastOff [tick off]")));
    const qsizetype fired = responses_->calls.size();
    tick_->tick();  // 8:00:03
    QCOMPARE(responses_->calls.mid(fired).filter(QStringLiteral("broadcastOff")).size(), 0);
}

void TickDispatchTest::dayRules_data() {
    QTest::addColumn<QDate>("ruleDay");
    QTest::addColumn<int>("ringsAs");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QStringList>("fired");
    const QStringList own = {QStringLiteral("radio on"), QStringLiteral("radio off")};
    QTest::addRow("no rule: the Wednesday rings its own entries") << QDate() << 0 << false << own;
    QTest::addRow("a make-up day rings the Monday entries instead of its own")
        << kWednesday << 1 << false
        << QStringList{QStringLiteral("broadcastOff"), QStringLiteral("radio off")};
    QTest::addRow("a silent day carries out nothing") << kWednesday << 0 << true << QStringList();
    QTest::addRow("yesterday's silent rule does not silence today")
        << kWednesday.addDays(-1) << 0 << true << own;
}

void TickDispatchTest::dayRules() {
    QFETCH(QDate, ruleDay);
    QFETCH(int, ringsAs);
    QFETCH(bool, silent);
    QFETCH(QStringList, fired);
    responses_->table = {QStringLiteral("8:00:01*m>星期一<播音关"),
                         QStringLiteral("8:00:02*w>星期三<收音机开"),
                         QStringLiteral("8:00:03*d>每天<收音机关")};
    tick_->setDayRules([=](const QDate& day) {
        return day == ruleDay ? DayRule{ringsAs, silent} : DayRule{};
    });
    startAt(QTime(8, 0, 0), QTime(8, 0, 1));
    for (int i = 0; i < 3; ++i)
        tick_->tick();
    QStringList got;
    for (const QString& call : responses_->calls) {
        if (!call.startsWith(QStringLiteral("alarmStep")) && !call.startsWith(QStringLiteral("showStatus")))
            got << call.section(QStringLiteral(" ["), 0, 0);
    }
    QCOMPARE(got, fired);
}

void TickDispatchTest::rows_data() {
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QStringList>("launched");

    const QString off = QStringLiteral(" [tick off]");
    const QString on = QStringLiteral(" [tick on]");
    QTest::addRow("a static broadcast runs with the tick off and gets the list in stored order")
        << "播音开-静态/srv/a.PLF"
        << "broadcastOn /srv/a.PLF stored" + off << QStringList();
    QTest::addRow("a dynamic broadcast runs with the tick off and gets the list shuffled")
        << "播音开-动态/srv/a b/列表.PLF"
        << "broadcastOn /srv/a b/列表.PLF shuffled" + off << QStringList();
    QTest::addRow("broadcast off runs with the tick off") << "播音关"
                                                          << "broadcastOff" + off << QStringList();
    QTest::addRow("radio on leaves the tick running") << "收音机开"
                                                      << "radio on" + on << QStringList();
    QTest::addRow("radio off is its own request, not a toggle") << "收音机关"
                                                                << "radio off" + on << QStringList();
    QTest::addRow("shutdown runs with the tick off") << "关机"
                                                     << "powerOff shutdown" + off << QStringList();
    QTest::addRow("restart runs with the tick off") << "重启"
                                                    << "powerOff restart" + off << QStringList();
    QTest::addRow("logoff runs with the tick off") << "注销"
                                                   << "powerOff logoff" + off << QStringList();
    QTest::addRow("a program runs with nothing else called")
        << "执行程序/usr/bin/xmessage 上课" << QString()
        << QStringList{QStringLiteral("/usr/bin/xmessage 上课")};
    const QString longCommand = QStringLiteral("/bin/echo ") + QString(700, QLatin1Char('y'));
    QTest::addRow("a long command line is cut at 500 characters")
        << "执行程序" + longCommand << QString() << QStringList{longCommand.left(500)};
    QTest::addRow("a table opens with the path after the keyword")
        << "打开表/srv/B.DTT"
        << "openTableByResponse /srv/B.DTT" + off << QStringList();
    QTest::addRow("the male voice tells the program clock") << "中文男声报时"
                                                            << "sayTime male 8:00:01" + off << QStringList();
    QTest::addRow("the female voice tells the program clock")
        << "中文女声报时"
        << "sayTime female 8:00:01" + off << QStringList();
    QTest::addRow("a tone gets the whole Response") << "/opt/q/timeup.mp3"
                                                    << "playTone /opt/q/timeup.mp3" + off << QStringList();
    QTest::addRow("a tone whose file is gone still goes to the tone action")
        << "/gone/ring.wav"
        << "playTone /gone/ring.wav" + off << QStringList();
}

void TickDispatchTest::rows() {
    QFETCH(QString, response);
    QFETCH(QString, call);
    QFETCH(QStringList, launched);

    responses_->table = {QStringLiteral("7:00:00*c>每天<播音关"),
                         QStringLiteral("8:00:01*c>每天<") + response};
    startAt(QTime(8, 0, 0), QTime(8, 0, 0, 500));
    tick_->tick();

    QStringList expected;
    if (!call.isEmpty())
        expected << call;
    QCOMPARE(responses_->calls, expected);
    QCOMPARE(launcher_->runs, launched);
    // Every row ends with the tick running again.
    QVERIFY(tick_->isActive());
    QCOMPARE(tick_->interval(), kDefaultIntervalMs);
}

void TickDispatchTest::onlyTheFirstDueEntryFires() {
    responses_->table = {
        QStringLiteral("8:00:01*a>星期一<播音关"),               // due time, wrong weekday: passed over
        QStringLiteral("8:00:01*b>2026年12月2日<中文女声报时"),  // the first that is due
        QStringLiteral("8:00:01*c>每天<中文男声报时"),           // due as well, not carried out
    };
    startAt(QTime(8, 0, 0), QTime(8, 0, 1));
    tick_->tick();
    QCOMPARE(responses_->calls, QStringList{QStringLiteral("sayTime female 8:00:01 [tick off]")});
}

void TickDispatchTest::firedTickSkipsAlarmAndStatus() {
    responses_->table = {QStringLiteral("8:00:01*c>每天<收音机开")};
    startAt(QTime(8, 0, 0), QTime(8, 0, 1));
    tick_->tick();
    QCOMPARE(responses_->calls, QStringList{QStringLiteral("radio on [tick on]")});
}

void TickDispatchTest::quietTickRunsAlarmThenStatus() {
    responses_->table = {QStringLiteral("9:00:00*c>每天<播音关"), QStringLiteral("8:00:01*c>星期四<播音关")};
    startAt(QTime(8, 0, 0), QTime(8, 0, 1, 400));
    systemClock_->setBoot(2 * 3600 * 1000 + 3 * 60 * 1000 + 4500);
    tick_->tick();
    const QLocale locale = QLocale::system();
    const QString time = locale.toString(QTime(8, 0, 1), timeFormatWithSeconds(locale));
    QCOMPARE(responses_->calls, (QStringList{QStringLiteral("alarmStep 8:00:01"),
                                             QStringLiteral("showStatus 系统>") + time +
                                                 QStringLiteral(" 内部>8:00:01 开机>2:3:4 星期三")}));
}

void TickDispatchTest::chimeHearsEveryTickAfterTheAdvance() {
    responses_->table = {QStringLiteral("9:00:00*c>每天<关机")};
    startAt(QTime(8, 59, 58), QTime(8, 59, 59));
    tick_->tick();
    tick_->tick();
    tick_->tick();
    QCOMPARE(responses_->chimes, (QStringList{"8:59:59", "9:00:00", "9:00:01"}));
    QCOMPARE(tick_->clockText(), QStringLiteral("9:00:01"));
}

void TickDispatchTest::steeringComparesBeforeTheAdvance_data() {
    QTest::addColumn<QTime>("system");
    QTest::addColumn<int>("interval");

    // The program clock reads 8:00:05 before the tick and 8:00:06 after it.
    QTest::addRow("system one second ahead of the clock before the advance")
        << QTime(8, 0, 6) << kCatchUpIntervalMs;
    QTest::addRow("system equal to the clock before the advance keeps the pace")
        << QTime(8, 0, 5, 999) << 950;
    QTest::addRow("system behind the clock holds back") << QTime(8, 0, 4) << kHoldBackIntervalMs;
}

void TickDispatchTest::steeringComparesBeforeTheAdvance() {
    QFETCH(QTime, system);
    QFETCH(int, interval);
    tick_->setInterval(950);
    startAt(QTime(8, 0, 5), system);
    tick_->tick();
    QCOMPARE(tick_->interval(), interval);
}

void TickDispatchTest::datesAreThoseOfTheProgramClock_data() {
    QTest::addColumn<QDateTime>("systemBefore");  // when the program clock was set
    QTest::addColumn<QDateTime>("systemAtTick");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<bool>("fires");

    // The program clock runs a little ahead of or behind the system clock; at midnight the two dates
    // differ for a moment, and an entry belongs to the day the program clock has reached.
    const QDate tuesday(2026, 12, 1);
    const QDateTime beforeMidnight(tuesday.addDays(-1), QTime(23, 59, 59));
    const QDateTime justBefore(tuesday.addDays(-1), QTime(23, 59, 59, 900));
    QTest::addRow("0:00:00 星期二 fires while the system still shows Monday 23:59:59.9")
        << beforeMidnight << justBefore << "星期二" << true;
    QTest::addRow("0:00:00 星期一 does not fire at the end of Monday")
        << beforeMidnight << justBefore << "星期一" << false;
    QTest::addRow("the first of the month while the system shows the 30th")
        << beforeMidnight << justBefore << "每月1日" << true;
    const QDateTime yearEnd(QDate(2026, 12, 31), QTime(23, 59, 59));
    QTest::addRow("new year's day while the system shows the old year")
        << yearEnd << yearEnd.addMSecs(950) << "2027年1月1日" << true;
    QTest::addRow("the old year's last day is over for the program clock")
        << yearEnd << yearEnd.addMSecs(950) << "2026年12月31日" << false;
    QTest::addRow("a clean midnight on the system's new day")
        << yearEnd << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0, 100)) << "每年1月1日" << true;
}

void TickDispatchTest::datesAreThoseOfTheProgramClock() {
    QFETCH(QDateTime, systemBefore);
    QFETCH(QDateTime, systemAtTick);
    QFETCH(QString, attribute);
    QFETCH(bool, fires);
    responses_->table = {QStringLiteral("0:00:00*c>") + attribute + QStringLiteral("<播音关")};
    systemClock_->set(systemBefore);
    tick_->setProgramClockFromSystem();
    systemClock_->set(systemAtTick);
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("0:00:00"));
    QCOMPARE(responses_->calls.contains(QStringLiteral("broadcastOff [tick off]")), fires);
}

void TickDispatchTest::aProgramClockBehindMidnightKeepsTheOldDay() {
    // The other way round: the system has passed midnight, the program clock still names 23:59:59.
    responses_->table = {QStringLiteral("23:59:59*c>2026年12月31日<播音关")};
    systemClock_->set(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)));
    tick_->setProgramClockFromSystem();
    systemClock_->set(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0, 200)));
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("23:59:59"));
    QCOMPARE(responses_->calls, QStringList{QStringLiteral("broadcastOff [tick off]")});
}

void TickDispatchTest::justMyTimeSetsTheClockAndKeepsThePace() {
    startAt(QTime(8, 0, 0), QTime(8, 0, 1));
    tick_->tick();
    tick_->setInterval(kHoldBackIntervalMs);
    systemClock_->set(QDateTime(kWednesday, QTime(10, 30, 45, 600)));
    tick_->justMyTime();
    QCOMPARE(tick_->programClock(), (ProgramClock{10, 30, 45}));
    QCOMPARE(tick_->interval(), kHoldBackIntervalMs);
    QVERIFY(tick_->isActive());
    // The clock text waits for the next tick, which advances first.
    QCOMPARE(tick_->clockText(), QStringLiteral("8:00:01"));
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("10:30:46"));
}

void TickDispatchTest::justMyTimeAsAResponse() {
    // The program clock runs a second ahead; 校时 pulls it back, so the entry comes due again a second
    // later and fires a second time, as the operator's own calibration entry would.
    responses_->table = {QStringLiteral("3:00:00*c>每天<校时")};
    startAt(QTime(2, 59, 59), QTime(2, 59, 58, 800));
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("3:00:00"));
    QCOMPARE(tick_->programClock(), (ProgramClock{2, 59, 58}));
    QVERIFY(tick_->isActive());
    QCOMPARE(responses_->calls, QStringList());  // nothing else ran on the firing tick

    systemClock_->advance(kHoldBackIntervalMs);
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("2:59:59"));
    systemClock_->advance(kHoldBackIntervalMs);
    tick_->tick();
    QCOMPARE(tick_->clockText(), QStringLiteral("3:00:00"));
    // Fired again: the clock reads the system time once more.
    QCOMPARE(tick_->programClock(), (ProgramClock{3, 0, 1}));
}

void TickDispatchTest::unusableIntervalFallsBackToTheDefault_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    QTest::addRow("a stored 950 is used") << 950 << 950;
    QTest::addRow("zero would spin the tick") << 0 << kDefaultIntervalMs;
    QTest::addRow("a negative value would stop it") << -20 << kDefaultIntervalMs;
}

void TickDispatchTest::unusableIntervalFallsBackToTheDefault() {
    QFETCH(int, stored);
    QFETCH(int, used);
    tick_->setInterval(stored);
    QCOMPARE(tick_->interval(), used);
}

QTEST_GUILESS_MAIN(TickDispatchTest)
#include "tick_dispatch_test.moc"
