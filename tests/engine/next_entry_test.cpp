// What rings next: the same rules as the tick, looked at ahead of time.

#include <QTest>

#include "engine/clock_tick.h"
#include "engine/next_entry.h"
#include "fakes/fake_platform.h"
#include "fakes/quiet_responses.h"
#include "schedule/entry_grammar.h"

using namespace quel;

namespace {
const QDate kWednesday(2026, 12, 2);

QString e(const QString& time, const QString& attribute, const QString& comment = QStringLiteral("c")) {
    return time + QLatin1Char('*') + comment + QLatin1Char('>') + attribute + QStringLiteral("</bells/") +
           comment + QStringLiteral(".wav");
}

// Notes the entry each tick fires, to hold the look-ahead against the tick itself.
class FiredBy final : public fakes::QuietResponses {
public:
    void playTone(const QString& path) override { fired << path; }
    QStringList fired;
};
}  // namespace

class NextEntryTest : public QObject {
    Q_OBJECT
private slots:
    void nextOfToday_data();
    void nextOfToday();
    void entryTimesTheClockCanRead_data();
    void entryTimesTheClockCanRead();
    void dueBetweenKeepsTheFirstOfEachSecond();
    void agreesWithTheTickOverAWholeDay();
    void textTellsTimeAndWhatRings_data();
    void textTellsTimeAndWhatRings();
};

void NextEntryTest::nextOfToday_data() {
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QTime>("clock");
    QTest::addColumn<int>("index");  // -1: nothing more today
    QTest::addColumn<QTime>("at");

    const QTime eight(8, 0, 0);
    QTest::addRow("an empty table") << QStringList{} << eight << -1 << QTime();
    QTest::addRow("weekday entries of other days are passed over")
        << QStringList{e("9:00:00", "星期一"), e("9:30:00", "星期四"), e("10:00:00", "星期三")} << eight << 2
        << QTime(10, 0, 0);
    QTest::addRow("a date entry of today, another of another day")
        << QStringList{e("8:10:00", "2026年12月3日"), e("8:20:00", "2026年12月2日")} << eight << 1
        << QTime(8, 20, 0);
    QTest::addRow("monthly and yearly entries of today")
        << QStringList{e("8:40:00", "每月3日"), e("8:30:00", "每年12月2日"), e("8:35:00", "每月2日")} << eight
        << 1 << QTime(8, 30, 0);
    QTest::addRow("two entries in one second: the first of the table rings")
        << QStringList{e("9:00:00", "每天", "a"), e("9:00:00", "星期三", "b")} << eight << 0
        << QTime(9, 0, 0);
    QTest::addRow("two in one second, the first not today: the second rings")
        << QStringList{e("9:00:00", "星期五", "a"), e("9:00:00", "星期三", "b")} << eight << 1
        << QTime(9, 0, 0);
    QTest::addRow("the table's order is by attribute, the next is by time")
        << QStringList{e("11:00:00", "每天"), e("9:00:00", "星期三"), e("10:00:00", "每天")} << eight << 1
        << QTime(9, 0, 0);
    QTest::addRow("the entry of the clock's own second has rung already")
        << QStringList{e("8:00:00", "每天"), e("8:00:01", "每天")} << eight << 1 << QTime(8, 0, 1);
    QTest::addRow("the last entry of the day has passed")
        << QStringList{e("7:00:00", "每天"), e("7:59:59", "每天")} << eight << -1 << QTime();
    QTest::addRow("tomorrow's first entry is not today's next")
        << QStringList{e("0:00:00", "每天")} << QTime(23, 59, 59) << -1 << QTime();
    QTest::addRow("a Time the clock never reads is never next")
        << QStringList{e("08:30:00", "每天"), e("8:30:0", "每天"), e("8:40:00", "每天")} << eight << 2
        << QTime(8, 40, 0);
    QTest::addRow("ill-formed entries are never next")
        << QStringList{QStringLiteral("8:10:00*no separators"), QStringLiteral("8:20:00*c<x>每天"),
                       e("8:30:00", "每天")}
        << eight << 2 << QTime(8, 30, 0);
}

void NextEntryTest::nextOfToday() {
    QFETCH(QStringList, table);
    QFETCH(QTime, clock);
    QFETCH(int, index);
    QFETCH(QTime, at);
    const std::optional<DueEntry> next = nextDue(table, programClockAt(clock), kWednesday);
    if (index < 0) {
        QVERIFY(!next);
        return;
    }
    QVERIFY(next);
    QCOMPARE(int(next->index), index);
    QCOMPARE(next->second, at.msecsSinceStartOfDay() / 1000);
}

void NextEntryTest::entryTimesTheClockCanRead_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("second");  // -1: never read by the clock
    QTest::addRow("midnight") << "0:00:00" << 0;
    QTest::addRow("one digit hour") << "8:05:09" << 8 * 3600 + 5 * 60 + 9;
    QTest::addRow("last second of the day") << "23:59:59" << 86399;
    QTest::addRow("leading zero") << "08:05:09" << -1;
    QTest::addRow("hour 24") << "24:00:00" << -1;
    QTest::addRow("minute 60") << "8:60:00" << -1;
    QTest::addRow("one digit minute") << "8:5:09" << -1;
    QTest::addRow("blank") << " 8:05:09" << -1;
    QTest::addRow("full-width digits") << QStringLiteral("８:05:09") << -1;
    QTest::addRow("empty") << "" << -1;
}

void NextEntryTest::entryTimesTheClockCanRead() {
    QFETCH(QString, time);
    QFETCH(int, second);
    const std::optional<int> read = entrySecond(time);
    QCOMPARE(read.value_or(-1), second);
    if (read)
        QCOMPARE(clockAtSecond(*read).text(), time);
}

void NextEntryTest::dueBetweenKeepsTheFirstOfEachSecond() {
    const QStringList table = {e("9:00:00", "星期四", "x"), e("9:00:00", "每天", "a"),
                               e("9:00:00", "每天", "b"), e("8:00:00", "每天", "c"),
                               e("10:00:00", "每天", "d")};
    QCOMPARE(dueBetween(table, kWednesday, 8 * 3600, 9 * 3600),
             (QList<DueEntry>{{8 * 3600, 3}, {9 * 3600, 1}}));
    QCOMPARE(dueBetween(table, kWednesday, 8 * 3600 + 1, 9 * 3600 - 1), QList<DueEntry>{});
}

void NextEntryTest::agreesWithTheTickOverAWholeDay() {
    // Whatever the look-ahead names next is what the tick fires next, all day.
    FiredBy responses;
    const QStringList attributes = {"每天", "星期三", "星期四", "每月2日", "2026年12月2日"};
    for (int i = 0; i < 60; ++i) {
        const QString time = clockAtSecond((i * 1439) % kSecondsPerDay).text();
        responses.table << e(time, attributes[i % attributes.size()], QString::number(i));
    }
    responses.table << e("12:00:00", "每天", "dup-a") << e("12:00:00", "每天", "dup-b");
    fakes::FakeClock clock(QDateTime(kWednesday, QTime(0, 0, 0, 500)));
    fakes::FakeLauncher launcher;
    ClockTick tick(
        clock, launcher, [&] { return responses.table; }, responses);
    tick.setProgramClockFromSystem();
    clock.set(QDateTime(kWednesday, QTime(0, 0, 0, 500)));
    std::optional<DueEntry> expected = nextDue(responses.table, tick.programClock(), kWednesday);
    for (int s = 1; s < kSecondsPerDay; ++s) {
        clock.advance(1000);
        const qsizetype before = responses.fired.size();
        tick.tick();
        const bool due = expected && expected->second == s;
        QCOMPARE(responses.fired.size() - before, qsizetype(due ? 1 : 0));
        if (due) {
            QCOMPARE(QStringLiteral("/bells/") + splitEntry(responses.table[expected->index]).comment +
                         QStringLiteral(".wav"),
                     responses.fired.last());
            expected = nextDue(responses.table, tick.programClock(), kWednesday);
        }
    }
    QVERIFY(responses.fired.size() > 20);
}

void NextEntryTest::textTellsTimeAndWhatRings_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("text");
    QTest::addRow("the comment, minutes left") << QStringLiteral("9:44:15*上课铃>每天</bells/a.wav") << 120
                                               << QStringLiteral("下一项 9:44:15 上课铃（还有2分钟）");
    QTest::addRow("no comment: the response") << QStringLiteral("9:44:15*没有注释>每天<播音关") << 59
                                              << QStringLiteral("下一项 9:44:15 播音关（还有59秒）");
    QTest::addRow("a minute and more counts whole minutes")
        << QStringLiteral("9:44:15*a>每天<x") << 119 << QStringLiteral("下一项 9:44:15 a（还有1分钟）");
    QTest::addRow("hours and minutes") << QStringLiteral("19:00:00*放学>每天<x") << 3 * 3600 + 25 * 60 + 30
                                       << QStringLiteral("下一项 19:00:00 放学（还有3小时25分钟）");
    QTest::addRow("whole hours") << QStringLiteral("19:00:00*放学>每天<x") << 7200
                                 << QStringLiteral("下一项 19:00:00 放学（还有2小时）");
}

void NextEntryTest::textTellsTimeAndWhatRings() {
    QFETCH(QString, entry);
    QFETCH(int, left);
    QFETCH(QString, text);
    QCOMPARE(nextEntryText(entry, left), text);
}

QTEST_GUILESS_MAIN(NextEntryTest)
#include "next_entry_test.moc"
