#include <QStringEncoder>
#include <QtTest>

#include "calendar/school_events.h"

using namespace quel;

namespace {

const QByteArray kHead = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//ZH\r\n";
const QByteArray kTail = "END:VCALENDAR\r\n";

QByteArray vevent(const QByteArray& body) {
    return "BEGIN:VEVENT\r\nUID:x" + QByteArray::number(qHash(body)) + "\r\nDTSTAMP:20240101T000000Z\r\n" +
           body + "END:VEVENT\r\n";
}

SchoolEvents sample() {
    SchoolEvents s;
    s.holidayTable = QStringLiteral("Holiday.DTT");
    s.makeUpWeekday = 5;
    s.events = {
        {SchoolCategory::Season, QStringLiteral("夏季作息"), QDate(2024, 5, 1), QDate(2024, 10, 1),
         QStringLiteral("Summer.DTT"), 0, true, QStringLiteral("s1")},
        {SchoolCategory::Vacation, QStringLiteral("寒假"), QDate(2025, 1, 18), QDate(2025, 2, 17), QString(),
         0, false, QStringLiteral("v1")},
        {SchoolCategory::Override, QStringLiteral("运动会, 第一天; 上午"), QDate(2025, 10, 20),
         QDate(2025, 10, 21), QStringLiteral("/srv/bells/Sports.DTT"), 0, false, QStringLiteral("o1")},
        {SchoolCategory::Override, QStringLiteral("补课"), QDate(2025, 11, 1), QDate(2025, 11, 2),
         std::nullopt, 3, false, QStringLiteral("o2")},
    };
    return s;
}

}  // namespace

class SchoolEventsTest : public QObject {
    Q_OBJECT
private slots:
    void writesWhatItReads();
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
};

void SchoolEventsTest::writesWhatItReads() {
    const QByteArray bytes =
        writeSchoolCalendar(sample(), QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC));
    // Every line ends in CR LF, and nothing else does.
    QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
    QVERIFY(bytes.contains("DTSTART;VALUE=DATE:20250118\r\n"));
    QVERIFY(bytes.contains("X-QUELBROOK-TABLE:\r\n"));
    QVERIFY(bytes.contains("RRULE:FREQ=YEARLY\r\n"));
    QVERIFY(bytes.contains("DTSTAMP:20261207T090000Z\r\n"));
    const auto read = readSchoolCalendar(bytes);
    QVERIFY2(
        std::holds_alternative<SchoolCalendarRead>(read),
        qPrintable(std::get_if<CalendarError>(&read) ? std::get<CalendarError>(read).message : QString()));
    QVERIFY(std::get<SchoolCalendarRead>(read).known == sample());
    QVERIFY(std::get<SchoolCalendarRead>(read).foreign.isEmpty());
}

void SchoolEventsTest::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("known");
    QTest::addColumn<int>("foreign");
    QTest::addColumn<int>("timed");
    QTest::addColumn<int>("suggested");  // the category suggested for the first foreign event

    QTest::addRow("an export of another calendar program")
        << kHead + vevent("DTSTART;VALUE=DATE:20250707\r\nDTEND;VALUE=DATE:20250901\r\nSUMMARY:暑假\r\n") +
               vevent("DTSTART:20250905T140000\r\nDTEND:20250905T150000\r\nSUMMARY:教工大会\r\n") +
               vevent("DTSTART;VALUE=DATE:20250501\r\nSUMMARY:夏季作息\r\nRRULE:FREQ=YEARLY\r\n") + kTail
        << 0 << 2 << 1 << int(SchoolCategory::Vacation);
    QTest::addRow("our categories among others")
        << kHead +
               vevent(
                   "DTSTART;VALUE=DATE:20251020\r\nDTEND;VALUE=DATE:20251021\r\nSUMMARY:运动会\r\n"
                   "CATEGORIES:学校,调整\r\nX-QUELBROOK-TABLE:Sports.DTT\r\n") +
               vevent("DTSTART;VALUE=DATE:20251101\r\nSUMMARY:家长会\r\n") + kTail
        << 1 << 1 << 0 << int(SchoolCategory::Override);
    QStringEncoder gbk("GB18030");
    QTest::addRow("GB18030")
        << QByteArray(gbk.encode(QString::fromUtf8(
               kHead +
               vevent("DTSTART;VALUE=DATE:20250707\r\nDTEND;VALUE=DATE:20250901\r\nSUMMARY:暑假\r\n"
                      "CATEGORIES:假期\r\n") +
               kTail)))
        << 1 << 0 << 0 << 0;
}

void SchoolEventsTest::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, known);
    QFETCH(int, foreign);
    QFETCH(int, timed);
    QFETCH(int, suggested);
    const auto read = readSchoolCalendar(bytes);
    QVERIFY2(
        std::holds_alternative<SchoolCalendarRead>(read),
        qPrintable(std::get_if<CalendarError>(&read) ? std::get<CalendarError>(read).message : QString()));
    const SchoolCalendarRead& r = std::get<SchoolCalendarRead>(read);
    QCOMPARE(r.known.events.size(), known);
    QCOMPARE(r.foreign.size(), foreign);
    QCOMPARE(r.timedSkipped, timed);
    if (foreign > 0) {
        QCOMPARE(int(r.foreign[0].suggested), suggested);
        // A one-day event without an end lasts its day.
        const ForeignEvent& f = r.foreign.last();
        QVERIFY(f.end > f.start);
    }
    if (known > 0) {
        QCOMPARE(r.known.events[0].summary.isEmpty(), false);
    }
}

void SchoolEventsTest::refuses_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray good = writeSchoolCalendar(sample(), QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC));
    QTest::addRow("empty") << QByteArray() << QStringLiteral("文件是空的");
    QTest::addRow("cut short") << good.left(good.size() - 30) << QStringLiteral("日历文件不完整");
    QTest::addRow("not a calendar") << QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n")
                                    << QStringLiteral("不是 iCalendar 日历文件");
    QTest::addRow("40 MB") << QByteArray(kHead + QByteArray(40 * 1024 * 1024, 'x') + kTail)
                           << QStringLiteral("文件太大");
    QTest::addRow("an end before the start")
        << kHead + vevent("DTSTART;VALUE=DATE:20250901\r\nDTEND;VALUE=DATE:20250707\r\nSUMMARY:暑假\r\n") +
               kTail
        << QStringLiteral("“暑假”的日期不对");
    QTest::addRow("the 30th of February")
        << kHead + vevent("DTSTART;VALUE=DATE:20250230\r\nSUMMARY:补课\r\nCATEGORIES:调整\r\n") + kTail
        << QStringLiteral("“补课”的日期不对");
    QTest::addRow("weekday 8") << kHead +
                                      vevent(
                                          "DTSTART;VALUE=DATE:20251101\r\nSUMMARY:补课\r\nCATEGORIES:"
                                          "调整\r\nX-QUELBROOK-WEEKDAY:8\r\n") +
                                      kTail
                               << QStringLiteral("“补课”的 X-QUELBROOK-WEEKDAY 不对");
    QTest::addRow("a weekly rule")
        << kHead + vevent("DTSTART;VALUE=DATE:20251101\r\nSUMMARY:升旗\r\nRRULE:FREQ=WEEKLY\r\n") + kTail
        << QStringLiteral("“升旗”的重复规则不支持");
    QTest::addRow("a yearly event longer than a year")
        << kHead +
               vevent(
                   "DTSTART;VALUE=DATE:20250101\r\nDTEND;VALUE=DATE:20260301\r\nSUMMARY:作息\r\n"
                   "RRULE:FREQ=YEARLY\r\n") +
               kTail
        << QStringLiteral("“作息”每年重复，却长过一年");
}

void SchoolEventsTest::refuses() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const auto read = readSchoolCalendar(bytes);
    QVERIFY(std::holds_alternative<CalendarError>(read));
    const QString got = std::get<CalendarError>(read).message;
    QVERIFY2(got.startsWith(message), qPrintable(got));
}

QTEST_GUILESS_MAIN(SchoolEventsTest)
#include "school_events_test.moc"
