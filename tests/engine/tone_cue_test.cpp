// The tone that rings next is opened ahead of its second, and only when the tone player is free.

#include <QTest>

#include "engine/clock_tick.h"
#include "engine/next_entry.h"
#include "engine/tone_cue.h"
#include "fakes/fake_platform.h"
#include "fakes/quiet_responses.h"

using namespace quel;

namespace {
const QDate kWednesday(2026, 12, 2);
using Action = ToneCueStep::Action;

QString tone(const QString& time, const QString& path, const QString& attribute = QStringLiteral("每天")) {
    return time + QStringLiteral("*c>") + attribute + QLatin1Char('<') + path;
}

}  // namespace

Q_DECLARE_METATYPE(TonePlayerState)
Q_DECLARE_METATYPE(ToneCueStep::Action)

class ToneCueTest : public QObject {
    Q_OBJECT
private slots:
    void whatToCue_data();
    void whatToCue();
    void everyToneTheTickRingsWasCuedFirst();
};

void ToneCueTest::whatToCue_data() {
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QTime>("clock");
    QTest::addColumn<TonePlayerState>("player");
    QTest::addColumn<QString>("cued");
    QTest::addColumn<bool>("skipping");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("path");

    const QString a = QStringLiteral("/bells/a.wav");
    const QString b = QStringLiteral("/bells/b.mp3");
    const QStringList one{tone("8:00:00", a)};
    const auto idle = TonePlayerState::Idle;
    const auto cued = TonePlayerState::Cued;
    const auto busy = TonePlayerState::Busy;
    const QTime before(7, 59, 57);  // the lead ahead of 8:00:00
    QTest::addRow("due within the lead, player idle: cued")
        << one << before << idle << QString() << false << false << Action::Cue << a;
    QTest::addRow("one second more than the lead: not yet")
        << one << QTime(7, 59, 56) << idle << QString() << false << false << Action::Keep << QString();
    QTest::addRow("already cued with it: kept")
        << one << QTime(7, 59, 59) << cued << a << false << false << Action::Keep << QString();
    QTest::addRow("the player rings something else: not disturbed")
        << one << before << busy << QString() << false << false << Action::Keep << QString();
    QTest::addRow("entry edited to another file: the cue follows")
        << QStringList{tone("8:00:00", b)} << before << cued << a << false << false << Action::Cue << b;
    QTest::addRow("entry removed: the cued file goes")
        << QStringList{} << before << cued << a << false << false << Action::Release << QString();
    QTest::addRow("its second passed without it ringing: the cued file goes")
        << one << QTime(8, 0, 0) << cued << a << false << false << Action::Release << QString();
    QTest::addRow("the next entry is no tone")
        << QStringList{QStringLiteral("7:59:59*c>每天<播音关"), one[0]} << before << idle << QString()
        << false << false << Action::Keep << QString();
    QTest::addRow("a program to run is no tone")
        << QStringList{QStringLiteral("8:00:00*c>每天<执行程序/bin/true")} << before << idle << QString()
        << false << false << Action::Keep << QString();
    QTest::addRow("two in one second: the first of the table rings")
        << QStringList{tone("8:00:00", b), tone("8:00:00", a)} << before << idle << QString() << false
        << false << Action::Cue << b;
    QTest::addRow("an entry of another weekday is passed over")
        << QStringList{tone("7:59:58", b, QStringLiteral("星期四")),
                       tone("7:59:59", a, QStringLiteral("星期三"))}
        << before << idle << QString() << false << false << Action::Cue << a;
    QTest::addRow("the next bell is skipped: nothing held for it")
        << one << before << idle << QString() << true << false << Action::Keep << QString();
    QTest::addRow("skipping after it was cued: let go")
        << one << before << cued << a << true << false << Action::Release << QString();
    QTest::addRow("a silent day rings nothing")
        << one << before << cued << a << false << true << Action::Release << QString();
    QTest::addRow("a tone without a path is nothing to open")
        << QStringList{QStringLiteral("8:00:00*c>每天<")} << before << idle << QString() << false << false
        << Action::Keep << QString();
}

void ToneCueTest::whatToCue() {
    QFETCH(QStringList, table);
    QFETCH(QTime, clock);
    QFETCH(TonePlayerState, player);
    QFETCH(QString, cued);
    QFETCH(bool, skipping);
    QFETCH(bool, silent);
    QFETCH(Action, action);
    QFETCH(QString, path);
    const ToneCueInput in{
        table, clockAtSecond(clock.msecsSinceStartOfDay() / 1000), kWednesday, 0, silent, skipping, player,
        cued};
    QCOMPARE(nextToneCue(in), (ToneCueStep{action, path}));
}

// The tick's own look at the table, second by second on the fake clock: the file each tone rings was
// the one the player held ready before that second, also for tones a second apart and between others.
void ToneCueTest::everyToneTheTickRingsWasCuedFirst() {
    struct Player final : fakes::QuietResponses {
        void playTone(const QString& path) override {
            rang << path;
            if (cued == path)
                readyAhead << path;
            cued.clear();  // it sounds now, and is over by the next second
        }
        QString cued;
        QStringList rang;
        QStringList readyAhead;
    } player;
    player.table = {tone("8:00:00", "/a.wav"),
                    tone("8:00:01", "/b.wav"),
                    QStringLiteral("8:00:02*c>每天<播音关"),
                    tone("8:00:03", "/a.wav"),
                    tone("8:10:00", "/c.mp3", QStringLiteral("星期三")),
                    tone("8:10:00", "/d.mp3"),
                    tone("8:20:00", "/e.wav", QStringLiteral("星期五"))};
    fakes::FakeClock clock(QDateTime(kWednesday, QTime(7, 50, 0, 500)));
    fakes::FakeLauncher launcher;
    ClockTick tick(
        clock, launcher, [&] { return player.table; }, player);
    tick.setProgramClockFromSystem();
    QObject::connect(&tick, &ClockTick::secondDone, [&](const ProgramClock& now, const QDate& day) {
        const ToneCueStep step =
            nextToneCue({player.table, now, day, 0, false, false,
                         player.cued.isEmpty() ? TonePlayerState::Idle : TonePlayerState::Cued, player.cued});
        if (step.action != Action::Keep)
            player.cued = step.path;
    });
    for (int s = 0; s < 40 * 60; ++s) {
        clock.advance(1000);
        tick.tick();
    }
    const QStringList expected{"/a.wav", "/b.wav", "/a.wav", "/c.mp3"};
    QCOMPARE(player.rang, expected);
    QCOMPARE(player.readyAhead, expected);
    QVERIFY(player.cued.isEmpty());
}

QTEST_GUILESS_MAIN(ToneCueTest)
#include "tone_cue_test.moc"
