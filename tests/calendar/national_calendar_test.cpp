#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

#include "calendar/national_calendar.h"

using namespace quel;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qFatal("cannot open %s", qPrintable(path));
    }
    return f.readAll();
}

QByteArray testData(const char* name) {
    return fileBytes(QStringLiteral(CALENDAR_TEST_DATA "/") + name);
}

QByteArray gb18030(const QByteArray& utf8) {
    QStringEncoder enc("GB18030");
    return enc.encode(QString::fromUtf8(utf8));
}

const QByteArray kIcsHead = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//ZH\r\n";
QByteArray icsEvent(const QByteArray& summary, const QByteArray& start, const QByteArray& end) {
    return "BEGIN:VEVENT\r\nUID:" + summary.toHex() + start +
           "\r\nDTSTAMP:20240101T000000Z\r\n"
           "DTSTART;VALUE=DATE:" +
           start + "\r\nDTEND;VALUE=DATE:" + end + "\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\n";
}

}  // namespace

class NationalCalendarTest : public QObject {
    Q_OBJECT
private slots:
    void takesWhole_data();
    void takesWhole();
    void refuses_data();
    void refuses();
    void shippedDataMatchesItsSource();
    void mergeReplacesWholeYears();
    void mergeRefusesAGap();
};

void NationalCalendarTest::takesWhole_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("firstYear");
    QTest::addColumn<int>("lastYear");
    QTest::addColumn<QDate>("probe");
    QTest::addColumn<int>("probeKind");  // 0 ordinary, 1 holiday, 2 make-up workday
    QTest::addColumn<QString>("probeName");

    QTest::addRow("one year of JSON")
        << testData("2025.json") << 2025 << 2025 << QDate(2025, 1, 26) << 2 << QStringLiteral("春节");
    QTest::addRow("one year of JSON in GB18030") << gb18030(testData("2025.json")) << 2025 << 2025
                                                 << QDate(2025, 10, 8) << 1 << QStringLiteral("国庆节");
    QTest::addRow("one year of iCalendar")
        << testData("2025.ics") << 2025 << 2025 << QDate(2025, 10, 8) << 1 << QStringLiteral("国庆节");
    QTest::addRow("iCalendar in GB18030") << gb18030(testData("2025.ics")) << 2025 << 2025
                                          << QDate(2025, 9, 28) << 2 << QStringLiteral("国庆节");
    QTest::addRow("an ordinary Saturday of a known year")
        << testData("2025.ics") << 2025 << 2025 << QDate(2025, 3, 1) << 0 << QString();
    QTest::addRow("the whole JSON set")
        << testData("chinese-days.json") << 2004 << 2026 << QDate(2004, 1, 17) << 2 << QStringLiteral("春节");
    QTest::addRow("our own file with a BOM")
        << QByteArray("\xEF\xBB\xBFQUELBROOK-HOLIDAYS 1\r\nYEARS 2030 2031\r\n2031-10-01 休 国庆节\r\n")
        << 2030 << 2031 << QDate(2031, 10, 1) << 1 << QStringLiteral("国庆节");
    QTest::addRow("a name over two lines and with spaces")
        << QByteArray(kIcsHead + icsEvent("中 秋\\n  节(休)", "20270915", "20270916") + "END:VCALENDAR\r\n")
        << 2027 << 2027 << QDate(2027, 9, 15) << 1 << QStringLiteral("中 秋 节");
    QTest::addRow("a day without a name") << QByteArray(R"({"holidays":{"2027-10-01":""}})") << 2027 << 2027
                                          << QDate(2027, 10, 1) << 1 << QStringLiteral("假日");
    QTest::addRow("full-width brackets in iCalendar")
        << QByteArray(kIcsHead + icsEvent("劳动节（休）", "20270501", "20270504") + "END:VCALENDAR\r\n")
        << 2027 << 2027 << QDate(2027, 5, 3) << 1 << QStringLiteral("劳动节");
}

void NationalCalendarTest::takesWhole() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, firstYear);
    QFETCH(int, lastYear);
    QFETCH(QDate, probe);
    QFETCH(int, probeKind);
    QFETCH(QString, probeName);
    const auto read = readNationalCalendar(bytes);
    QVERIFY2(
        std::holds_alternative<NationalCalendar>(read),
        qPrintable(std::get_if<CalendarError>(&read) ? std::get<CalendarError>(read).message : QString()));
    const NationalCalendar& c = std::get<NationalCalendar>(read);
    QCOMPARE(c.firstYear(), firstYear);
    QCOMPARE(c.lastYear(), lastYear);
    const NationalDay* d = c.day(probe);
    QCOMPARE(d ? (d->kind == NationalKind::Holiday ? 1 : 2) : 0, probeKind);
    if (d) {
        QCOMPARE(d->name, probeName);
    }
    // What is read is what is written: our own file holds it all.
    const auto again = readNationalCalendar(c.toText());
    QVERIFY(std::holds_alternative<NationalCalendar>(again));
    QVERIFY(std::get<NationalCalendar>(again) == c);
}

void NationalCalendarTest::refuses_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray json = testData("2025.json");
    const QByteArray ics = testData("2025.ics");
    QTest::addRow("empty") << QByteArray() << QStringLiteral("文件是空的");
    QTest::addRow("only blanks") << QByteArray(" \r\n\r\n") << QStringLiteral("文件是空的");
    QTest::addRow("JSON cut short") << json.left(json.size() / 2) << QStringLiteral("JSON 格式错误");
    QTest::addRow("iCalendar cut short") << ics.left(ics.size() / 2) << QStringLiteral("日历文件不完整");
    QTest::addRow("30 February in JSON")
        << QByteArray(R"({"holidays":{"2026-02-30":"X,春节,1"}})") << QStringLiteral("日期不对：2026-02-30");
    QTest::addRow("a date without its leading zero")
        << QByteArray(R"({"holidays":{"2026-2-3":"X,春节,1"}})") << QStringLiteral("日期不对：2026-2-3");
    QTest::addRow("JSON of something else")
        << QByteArray(R"({"songs":[]})") << QStringLiteral("JSON 里没有 holidays 或 workdays");
    QTest::addRow("JSON without a day")
        << QByteArray(R"({"holidays":{},"workdays":{}})") << QStringLiteral("文件里没有节假日或调休上班日");
    QTest::addRow("a day both off and on")
        << QByteArray(R"({"holidays":{"2026-10-01":"X,国庆节,1"},"workdays":{"2026-10-01":"X,国庆节,1"}})")
        << QStringLiteral("2026-10-01 既是假日又是调休上班日");
    QTest::addRow("an event ending before it starts")
        << QByteArray(kIcsHead + icsEvent("国庆节(休)", "20271005", "20271001") + "END:VCALENDAR\r\n")
        << QStringLiteral("“国庆节(休)”的结束日期不对");
    QTest::addRow("an event of a year")
        << QByteArray(kIcsHead + icsEvent("国庆节(休)", "20270101", "20280101") + "END:VCALENDAR\r\n")
        << QStringLiteral("“国庆节(休)”的结束日期不对");
    QTest::addRow("an event of something else")
        << QByteArray(kIcsHead + icsEvent("家长会", "20271005", "20271006") + "END:VCALENDAR\r\n")
        << QStringLiteral("“家长会”不是节假日或调休上班日");
    QTest::addRow("a year before the republic")
        << QByteArray(R"({"holidays":{"1900-01-01":"X,元旦,1"}})") << QStringLiteral("日期不对：1900-01-01");
    QTest::addRow("a text file") << QByteArray("hello\n") << QStringLiteral("看不懂这个文件");
    QTest::addRow("40 MB") << QByteArray(40 * 1024 * 1024, ' ').prepend('{').append('}')
                           << QStringLiteral("文件太大");
    QTest::addRow("our own file with an odd line")
        << QByteArray("QUELBROOK-HOLIDAYS 1\r\nYEARS 2030 2030\r\n2030-10-01 off 国庆节\r\n")
        << QStringLiteral("第 3 行看不懂");
    QTest::addRow("our own file with a day outside its years")
        << QByteArray("QUELBROOK-HOLIDAYS 1\r\nYEARS 2030 2030\r\n2031-10-01 休 国庆节\r\n")
        << QStringLiteral("有日期不在 YEARS 所说的年份里");
}

void NationalCalendarTest::refuses() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const auto read = readNationalCalendar(bytes);
    QVERIFY(std::holds_alternative<CalendarError>(read));
    const QString got = std::get<CalendarError>(read).message;
    QVERIFY2(got.startsWith(message), qPrintable(got));
}

// The shipped file against the package it was converted from, read here with Qt's JSON reader only.
void NationalCalendarTest::shippedDataMatchesItsSource() {
    const auto read =
        readNationalCalendar(fileBytes(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt")));
    QVERIFY(std::holds_alternative<NationalCalendar>(read));
    const NationalCalendar& shipped = std::get<NationalCalendar>(read);
    const QJsonObject source = QJsonDocument::fromJson(testData("chinese-days.json")).object();
    const QJsonObject holidays = source.value(QLatin1String("holidays")).toObject();
    const QJsonObject workdays = source.value(QLatin1String("workdays")).toObject();
    QCOMPARE(shipped.days().size(), holidays.size() + workdays.size());
    for (const auto& [list, kind] :
         {std::pair{holidays, NationalKind::Holiday}, std::pair{workdays, NationalKind::Workday}}) {
        for (auto it = list.begin(); it != list.end(); ++it) {
            const NationalDay* d = shipped.day(QDate::fromString(it.key(), Qt::ISODate));
            QVERIFY2(d && d->kind == kind, qPrintable(it.key()));
            QCOMPARE(d->name, it.value().toString().section(QLatin1Char(','), 1, 1));
        }
    }
}

void NationalCalendarTest::mergeReplacesWholeYears() {
    NationalCalendar base;
    base.cover(2024, 2026);
    base.set(QDate(2025, 10, 1), {NationalKind::Holiday, QStringLiteral("国庆节")});
    base.set(QDate(2025, 10, 11), {NationalKind::Workday, QStringLiteral("国庆节")});
    base.set(QDate(2026, 1, 1), {NationalKind::Holiday, QStringLiteral("元旦")});
    NationalCalendar newer;
    newer.set(QDate(2025, 10, 2), {NationalKind::Holiday, QStringLiteral("国庆节")});
    newer.set(QDate(2027, 1, 1), {NationalKind::Holiday, QStringLiteral("元旦")});
    newer.cover(2025, 2027);
    QCOMPARE(base.merge(newer), QString());
    QCOMPARE(base.firstYear(), 2024);
    QCOMPARE(base.lastYear(), 2027);
    // A corrected year drops the days it no longer lists.
    QVERIFY(!base.day(QDate(2025, 10, 1)));
    QVERIFY(!base.day(QDate(2025, 10, 11)));
    QVERIFY(base.day(QDate(2025, 10, 2)));
    QVERIFY(!base.day(QDate(2026, 1, 1)));
    QVERIFY(base.day(QDate(2027, 1, 1)));
}

void NationalCalendarTest::mergeRefusesAGap() {
    NationalCalendar base;
    base.set(QDate(2025, 10, 1), {NationalKind::Holiday, QStringLiteral("国庆节")});
    const NationalCalendar before = base;
    NationalCalendar later;
    later.set(QDate(2027, 10, 1), {NationalKind::Holiday, QStringLiteral("国庆节")});
    QVERIFY(!base.merge(later).isEmpty());
    QVERIFY(base == before);
}

QTEST_GUILESS_MAIN(NationalCalendarTest)
#include "national_calendar_test.moc"
