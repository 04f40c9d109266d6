#include <QRandomGenerator>
#include <QtTest>

#include "calendar/calendar_day.h"
#include "fakes/fake_platform.h"
#include "sample_school.h"

using namespace quel;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SchoolCalendar sampleCalendar() {
    auto read = readNationalCalendar(fileBytes(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt")));
    return SchoolCalendar(sampleSchool(), std::get<NationalCalendar>(read), true, QStringLiteral("/t"));
}

constexpr qint64 kSecond = 1000;
constexpr qint64 kDay = 24 * 3600 * kSecond;

}  // namespace

class CalendarDayTest : public QObject {
    Q_OBJECT
private slots:
    void switchesAtMidnight();
    void switchesAfterASleepAndAClockChange();
    void aRecheckOfTheSameDayLeavesTheTableAlone();
    void startsRightAfterAnyTimeAway();
};

void CalendarDayTest::switchesAtMidnight() {
    fakes::FakeClock clock(QDateTime(QDate(2025, 9, 30), QTime(23, 59, 58)));
    CalendarDay day([&] { return clock.now().date(); });
    QSignalSpy chosen(&day, &CalendarDay::chosen);
    day.setCalendar(sampleCalendar());
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(day.plan().reason, QStringLiteral("夏季作息"));
    for (int i = 0; i < 4; ++i) {
        clock.advance(kSecond);
        day.check();
    }
    QCOMPARE(chosen.size(), 2);
    QCOMPARE(chosen.last().at(0).toDate(), QDate(2025, 10, 1));
    QCOMPARE(describe(day.plan()), QStringLiteral("国庆节，不打铃"));
}

void CalendarDayTest::switchesAfterASleepAndAClockChange() {
    fakes::FakeClock clock(QDateTime(QDate(2025, 10, 7), QTime(22, 0)));
    CalendarDay day([&] { return clock.now().date(); });
    day.setCalendar(sampleCalendar());
    QSignalSpy chosen(&day, &CalendarDay::chosen);
    // Asleep over the end of the holiday: the first tick after waking finds a school day.
    clock.sleep(2 * kDay);
    day.check();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(day.date(), QDate(2025, 10, 9));
    QVERIFY(!day.plan().silent);
    // The operator sets the clock back by whole hours, across midnight: the day before again.
    clock.set(QDateTime(QDate(2025, 10, 8), QTime(23, 0)));
    day.recheck();
    QCOMPARE(chosen.size(), 2);
    QVERIFY(day.plan().silent);
}

void CalendarDayTest::aRecheckOfTheSameDayLeavesTheTableAlone() {
    fakes::FakeClock clock(QDateTime(QDate(2025, 9, 28), QTime(10, 0)));
    CalendarDay day([&] { return clock.now().date(); });
    day.setCalendar(sampleCalendar());
    QSignalSpy chosen(&day, &CalendarDay::chosen);
    clock.advance(3600 * kSecond);
    day.recheck();
    day.check();
    day.setCalendar(sampleCalendar());
    QCOMPARE(chosen.size(), 0);
    // A changed calendar that changes today is heard at once.
    SchoolEvents school = sampleSchool();
    school.events.push_back({SchoolCategory::Override,
                             QStringLiteral("停课"),
                             QDate(2025, 9, 28),
                             QDate(2025, 9, 29),
                             QString(),
                             0,
                             false,
                             {}});
    day.setCalendar(SchoolCalendar(school, sampleCalendar().national(), true, QStringLiteral("/t")));
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(describe(day.plan()), QStringLiteral("停课，不打铃"));
}

// A thousand times: the program runs for a while, is closed for days or months, and starts again.
// Whatever switches passed while it was away, the start picks what the day's date says, the same as
// a program that ran through and switched at each midnight.
void CalendarDayTest::startsRightAfterAnyTimeAway() {
    const SchoolCalendar calendar = sampleCalendar();
    QRandomGenerator random(19);
    const QDate first(2004, 1, 1);
    const qint64 span = first.daysTo(calendar.national().lastDate());
    int crossedSwitch = 0;
    for (int i = 0; i < 1000; ++i) {
        const QDate stop = first.addDays(random.bounded(span - 400));
        fakes::FakeClock clock(QDateTime(stop, QTime(random.bounded(24), random.bounded(60))));
        auto running = std::make_unique<CalendarDay>([&] { return clock.now().date(); });
        running->setCalendar(calendar);
        const DayPlan before = running->plan();
        running.reset();
        clock.advance(random.bounded(1, 200) * kDay + random.bounded(kDay));
        CalendarDay started([&] { return clock.now().date(); });
        started.setCalendar(calendar);
        // Worked out by walking every day in between, as a program that never stopped would.
        QDate walked = stop;
        CalendarDay walker([&] { return walked; });
        walker.setCalendar(calendar);
        while (walked < clock.now().date()) {
            walked = walked.addDays(1);
            walker.check();
        }
        QCOMPARE(started.plan(), walker.plan());
        QCOMPARE(started.date(), clock.now().date());
        crossedSwitch += before.ringsLike(started.plan()) ? 0 : 1;
    }
    // Most windows do cross a switch of table, or the test would prove little.
    QVERIFY2(crossedSwitch > 500, qPrintable(QString::number(crossedSwitch)));
}

QTEST_GUILESS_MAIN(CalendarDayTest)
#include "day_test.moc"
