#include <QtTest>

#include "calendar/school_calendar.h"
#include "sample_school.h"

using namespace quel;

namespace {

const QString kTables = QStringLiteral("/school/DayTimeTable");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qFatal("cannot open %s", qPrintable(path));
    }
    return f.readAll();
}

NationalCalendar shipped() {
    auto read = readNationalCalendar(fileBytes(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt")));
    if (!std::holds_alternative<NationalCalendar>(read)) {
        qFatal("the shipped national data does not read");
    }
    return std::get<NationalCalendar>(read);
}

SchoolCalendar sampleCalendar(bool nationalOn = true, const QString& holidayTable = {}) {
    SchoolEvents school = sampleSchool();
    school.holidayTable = holidayTable;
    return SchoolCalendar(school, shipped(), nationalOn, kTables);
}

}  // namespace

class SchoolCalendarTest : public QObject {
    Q_OBJECT
private slots:
    void layers_data();
    void layers();
    void replayOfEveryDay();
    void nextChangeAndRingingDay();
    void dataRunningOut_data();
    void dataRunningOut();
};

void SchoolCalendarTest::layers_data() {
    QTest::addColumn<bool>("setUp");
    QTest::addColumn<bool>("nationalOn");
    QTest::addColumn<QString>("holidayTable");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<QString>("text");

    const QString summer = kTables + QStringLiteral("/Summer.DTT");
    const QString winter = kTables + QStringLiteral("/Winter.DTT");
    QTest::addRow("a statutory holiday is silent")
        << true << true << QString() << QDate(2025, 10, 1) << int(DayKind::Holiday) << QString() << 3
        << QStringLiteral("国庆节，不打铃");
    QTest::addRow("a statutory holiday rings the holiday table when one is chosen")
        << true << true << QStringLiteral("Holiday.DTT") << QDate(2025, 10, 1) << int(DayKind::Holiday)
        << kTables + QStringLiteral("/Holiday.DTT") << 3 << QStringLiteral("国庆节（Holiday.DTT）");
    QTest::addRow("with the national calendar off a holiday is a season day")
        << true << false << QString() << QDate(2025, 10, 1) << int(DayKind::Season) << winter << 3
        << QStringLiteral("冬季作息（Winter.DTT）");
    QTest::addRow("a make-up Sunday rings as Monday in its season")
        << true << true << QString() << QDate(2025, 9, 28) << int(DayKind::MakeUpWorkday) << summer << 1
        << QStringLiteral("调休上班，按星期一");
    QTest::addRow("a make-up Saturday in the winter vacation stays silent")
        << true << true << QString() << QDate(2026, 2, 14) << int(DayKind::Vacation) << QString() << 6
        << QStringLiteral("寒假，不打铃");
    QTest::addRow("a season running over New Year")
        << true << true << QString() << QDate(2025, 1, 6) << int(DayKind::Season) << winter << 1
        << QStringLiteral("冬季作息（Winter.DTT）");
    QTest::addRow("an override rings its table")
        << true << true << QString() << QDate(2010, 10, 16) << int(DayKind::Override)
        << kTables + QStringLiteral("/Sports.DTT") << 6 << QStringLiteral("运动会（Sports.DTT）");
    QTest::addRow("an override silences a holiday by its own reason")
        << true << true << QString() << QDate(2015, 5, 1) << int(DayKind::Override) << QString() << 5
        << QStringLiteral("停课，不打铃");
    QTest::addRow("an override that only names a weekday keeps the season's table")
        << true << true << QString() << QDate(2020, 1, 19) << int(DayKind::Override) << winter << 7
        << QStringLiteral("考试（Winter.DTT）");
    QTest::addRow("an override that names a weekday makes a holiday ring")
        << true << true << QString() << QDate(2008, 5, 3) << int(DayKind::Override) << summer << 1
        << QStringLiteral("补课（Summer.DTT）");
    QTest::addRow("nothing set up is the default table as it always was")
        << false << false << QString() << QDate(2025, 10, 1) << int(DayKind::Default) << QString() << 3
        << QString();
    QTest::addRow("the national calendar alone on an ordinary day")
        << false << true << QString() << QDate(2025, 10, 13) << int(DayKind::Default) << QString() << 1
        << QString();
}

void SchoolCalendarTest::layers() {
    QFETCH(bool, setUp);
    QFETCH(bool, nationalOn);
    QFETCH(QString, holidayTable);
    QFETCH(QDate, date);
    QFETCH(int, kind);
    QFETCH(QString, table);
    QFETCH(int, weekday);
    QFETCH(QString, text);
    SchoolEvents school = setUp ? sampleSchool() : SchoolEvents{};
    school.holidayTable = holidayTable;
    const SchoolCalendar calendar(school, shipped(), nationalOn, kTables);
    const DayPlan plan = calendar.dayPlan(date);
    QCOMPARE(int(plan.kind), kind);
    QCOMPARE(plan.table, table);
    QCOMPARE(plan.silent,
             table.isEmpty() && kind != int(DayKind::Default) && kind != int(DayKind::MakeUpWorkday));
    QCOMPARE(plan.weekday, weekday);
    QCOMPARE(describe(plan), text);
}

// Every day from 2004 to the end of the shipped data against what the package's own JSON and the
// sample school say, worked out here without the calendar's code.
void SchoolCalendarTest::replayOfEveryDay() {
    const QJsonObject source =
        QJsonDocument::fromJson(fileBytes(QStringLiteral(CALENDAR_TEST_DATA "/chinese-days.json"))).object();
    const QJsonObject holidays = source.value(QLatin1String("holidays")).toObject();
    const QJsonObject workdays = source.value(QLatin1String("workdays")).toObject();
    const SchoolCalendar calendar = sampleCalendar();
    struct Expected {
        QString table;  // "" silent
        int weekday;
        QString reason;
    };
    const auto season = [](const QDate& d) {
        return d.month() >= 5 && d.month() < 10 ? kTables + QStringLiteral("/Summer.DTT")
                                                : kTables + QStringLiteral("/Winter.DTT");
    };
    const auto seasonName = [](const QDate& d) {
        return d.month() >= 5 && d.month() < 10 ? QStringLiteral("夏季作息") : QStringLiteral("冬季作息");
    };
    const auto vacation = [](const QDate& d) -> QString {
        if ((d.month() == 7 && d.day() >= 10) || d.month() == 8) {
            return QStringLiteral("暑假");
        }
        if ((d.month() == 1 && d.day() >= 20) || (d.month() == 2 && d.day() < 20)) {
            return QStringLiteral("寒假");
        }
        return {};
    };
    const QHash<QDate, Expected> overrides = {
        {QDate(2010, 10, 15), {kTables + QStringLiteral("/Sports.DTT"), 5, QStringLiteral("运动会")}},
        {QDate(2010, 10, 16), {kTables + QStringLiteral("/Sports.DTT"), 6, QStringLiteral("运动会")}},
        {QDate(2015, 5, 1), {QString(), 5, QStringLiteral("停课")}},
        {QDate(2020, 1, 19), {kTables + QStringLiteral("/Winter.DTT"), 7, QStringLiteral("考试")}},
        {QDate(2008, 5, 3), {kTables + QStringLiteral("/Summer.DTT"), 1, QStringLiteral("补课")}},
    };
    const QDate end = calendar.national().lastDate();
    QCOMPARE(end.year(), QDate::fromString(holidays.keys().last(), Qt::ISODate).year());
    int overriddenInSource = 0;
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        const QString key = it.key().toString(Qt::ISODate);
        overriddenInSource += holidays.contains(key) || workdays.contains(key) ? 1 : 0;
    }
    int days = 0;
    int agree = 0;
    int holidaysSeen = 0;
    int workdaysSeen = 0;
    QStringList firstDisagreements;
    for (QDate d(2004, 1, 1); d <= end; d = d.addDays(1), ++days) {
        const QString key = d.toString(Qt::ISODate);
        Expected want;
        if (overrides.contains(d)) {
            want = overrides[d];
        } else if (holidays.contains(key)) {
            want = {QString(), d.dayOfWeek(), holidays[key].toString().section(QLatin1Char(','), 1, 1)};
            ++holidaysSeen;
        } else if (workdays.contains(key) && vacation(d).isEmpty()) {
            want = {season(d), 1, QStringLiteral("调休上班")};
            ++workdaysSeen;
        } else if (!vacation(d).isEmpty()) {
            want = {QString(), d.dayOfWeek(), vacation(d)};
            workdaysSeen += workdays.contains(key) ? 1 : 0;
        } else {
            want = {season(d), d.dayOfWeek(), seasonName(d)};
        }
        const DayPlan got = calendar.dayPlan(d);
        const bool same = got.silent == want.table.isEmpty() && got.table == want.table &&
                          got.weekday == want.weekday && got.reason == want.reason;
        if (same) {
            ++agree;
        } else if (firstDisagreements.size() < 5) {
            firstDisagreements << key + QLatin1Char(' ') + describe(got);
        }
    }
    // Every holiday and make-up workday of the source was met, but for those an override covers.
    QCOMPARE(holidaysSeen + workdaysSeen + overriddenInSource, holidays.size() + workdays.size());
    QCOMPARE(overriddenInSource, 3);
    qInfo("%d of %d days agree (%d holidays, %d make-up workdays)", agree, days, holidaysSeen, workdaysSeen);
    QVERIFY2(firstDisagreements.isEmpty(), qPrintable(firstDisagreements.join(QLatin1String("; "))));
    QCOMPARE(agree, days);
}

void SchoolCalendarTest::nextChangeAndRingingDay() {
    const SchoolCalendar calendar = sampleCalendar();
    // The make-up Sunday of 28 September rings the summer table too: no change until the holiday.
    QCOMPARE(calendar.nextChange(QDate(2025, 9, 20)), std::optional<QDate>(QDate(2025, 10, 1)));
    QCOMPARE(calendar.nextChange(QDate(2025, 10, 1)), std::optional<QDate>(QDate(2025, 10, 9)));
    QCOMPARE(calendar.nextRingingDay(QDate(2025, 10, 1)), std::optional<QDate>(QDate(2025, 10, 9)));
    QCOMPARE(calendar.nextRingingDay(QDate(2025, 10, 9)), std::optional<QDate>(QDate(2025, 10, 9)));
    QCOMPARE(SchoolCalendar().nextChange(QDate(2025, 10, 1)), std::nullopt);
}

void SchoolCalendarTest::dataRunningOut_data() {
    QTest::addColumn<bool>("nationalOn");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("runsOut");
    QTest::addRow("thirty-one days left") << true << QDate(2026, 11, 30) << QDate();
    QTest::addRow("thirty days left") << true << QDate(2026, 12, 1) << QDate();
    QTest::addRow("twenty-nine days left") << true << QDate(2026, 12, 2) << QDate(2026, 12, 31);
    QTest::addRow("past the end") << true << QDate(2027, 3, 1) << QDate(2026, 12, 31);
    QTest::addRow("the national calendar off") << false << QDate(2027, 3, 1) << QDate();
}

void SchoolCalendarTest::dataRunningOut() {
    QFETCH(bool, nationalOn);
    QFETCH(QDate, today);
    QFETCH(QDate, runsOut);
    QCOMPARE(sampleCalendar(nationalOn).dataRunsOut(today).value_or(QDate()), runsOut);
}

QTEST_GUILESS_MAIN(SchoolCalendarTest)
#include "school_calendar_test.moc"
