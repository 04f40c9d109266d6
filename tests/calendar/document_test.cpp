#include <QtTest>

#include "calendar/calendar_document.h"
#include "fakes/fake_platform.h"
#include "sample_school.h"

using namespace quel;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kShipped = QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt");

}  // namespace

class CalendarDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void nothingSetUpByDefault();
    void importNational_data();
    void importNational();
    void editsAreWrittenFirst();
    void anUnreadableSchoolFileIsNeverOverwritten();
    void mergesAnExportedCalendar();
};

void CalendarDocumentTest::nothingSetUpByDefault() {
    QTemporaryDir dir;
    fakes::FakeFiles files;
    CalendarDocument doc(files, dir.path(), kShipped);
    QCOMPARE(doc.load(), QStringList());
    QVERIFY(!doc.calendar().isSetUp());
    QVERIFY(!doc.calendar().nationalOn());
    QCOMPARE(doc.calendar().dayPlan(QDate(2025, 10, 1)).kind, DayKind::Default);
    QVERIFY(files.writes.isEmpty());
    // "NO" and anything but "YES" keep it off; the setting is one quoted field.
    QCOMPARE(doc.setNationalOn(true), QString());
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("Holidays.txt"))), QByteArray("\"YES\"\r\n"));
    QCOMPARE(doc.calendar().dayPlan(QDate(2025, 10, 1)).kind, DayKind::Holiday);
}

void CalendarDocumentTest::importNational_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");  // empty: taken
    QTest::addColumn<QDate>("lastDate");
    const QByteArray next = "QUELBROOK-HOLIDAYS 1\r\nYEARS 2027 2027\r\n2027-10-01 休 国庆节\r\n";
    QTest::addRow("the next year") << next << QString() << QDate(2027, 12, 31);
    QTest::addRow("a corrected year")
        << QByteArray(R"({"holidays":{"2025-10-01":"N,国庆节,1"}})") << QString() << QDate(2026, 12, 31);
    QTest::addRow("a year after a gap") << QByteArray(R"({"holidays":{"2029-10-01":"N,国庆节,1"}})")
                                        << QStringLiteral("新数据是 2029–2029 年的") << QDate(2026, 12, 31);
    QTest::addRow("a file cut short")
        << next.left(30) << QStringLiteral("第 2 行：年份不对") << QDate(2026, 12, 31);
    QTest::addRow("an empty file") << QByteArray() << QStringLiteral("文件是空的") << QDate(2026, 12, 31);
}

void CalendarDocumentTest::importNational() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(QDate, lastDate);
    QTemporaryDir dir;
    fakes::FakeFiles files;
    writeBytes(dir.filePath(QStringLiteral("Holidays.txt")), "\"YES\"\r\n");
    CalendarDocument doc(files, dir.path(), kShipped);
    doc.load();
    const SchoolCalendar before = doc.calendar();
    QSignalSpy changed(&doc, &CalendarDocument::changed);
    writeBytes(dir.filePath(QStringLiteral("new.json")), bytes);
    const QString got = doc.importNational(dir.filePath(QStringLiteral("new.json")));
    QVERIFY2(got.startsWith(message) && got.isEmpty() == message.isEmpty(), qPrintable(got));
    QCOMPARE(doc.calendar().national().lastDate(), lastDate);
    QCOMPARE(doc.calendar().national().firstYear(), 2004);
    if (!message.isEmpty()) {
        QCOMPARE(changed.size(), 0);
        QVERIFY(doc.calendar().national() == before.national());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("NationalHolidays.txt"))));
        return;
    }
    QCOMPARE(changed.size(), 1);
    // The import outlives the run: a new start reads it over the shipped data.
    CalendarDocument again(files, dir.path(), kShipped);
    again.load();
    QVERIFY(again.calendar().national() == doc.calendar().national());
}

void CalendarDocumentTest::editsAreWrittenFirst() {
    QTemporaryDir dir;
    fakes::FakeFiles files;
    CalendarDocument doc(files, dir.path(), kShipped);
    doc.load();
    const SchoolEvent sports{SchoolCategory::Override,
                             QStringLiteral("运动会"),
                             QDate(2026, 10, 20),
                             QDate(2026, 10, 21),
                             QStringLiteral("Sports.DTT"),
                             0,
                             false,
                             QStringLiteral("u1")};
    QCOMPARE(doc.addEvent(sports), QString());
    QCOMPARE(doc.calendar().dayPlan(QDate(2026, 10, 20)).table,
             dir.filePath(QStringLiteral("DayTimeTable/Sports.DTT")));
    const QString ics = dir.filePath(QStringLiteral("SchoolCalendar.ics"));
    const QByteArray written = fileBytes(ics);
    QVERIFY(written.contains("CATEGORIES:调整\r\n"));
    QVERIFY(written.contains("X-QUELBROOK-TABLE:Sports.DTT\r\n"));

    files.unwritable.insert(ics);
    QCOMPARE(doc.removeEvent(0), QStringLiteral("无法写入 SchoolCalendar.ics，日历没有改变"));
    QCOMPARE(doc.calendar().school().events.size(), 1);
    QCOMPARE(doc.addEvent({SchoolCategory::Vacation,
                           QStringLiteral("寒假"),
                           QDate(2027, 2, 1),
                           QDate(2027, 1, 1),
                           QString(),
                           0,
                           false,
                           {}}),
             QStringLiteral("结束日期要在开始日期之后"));
    files.unwritable.clear();
    QCOMPARE(doc.removeEvent(3), QStringLiteral("这一项已不存在"));
    QCOMPARE(doc.removeEvent(0), QString());
    QCOMPARE(doc.calendar().dayPlan(QDate(2026, 10, 20)).kind, DayKind::Default);
}

void CalendarDocumentTest::anUnreadableSchoolFileIsNeverOverwritten() {
    QTemporaryDir dir;
    fakes::FakeFiles files;
    const QString ics = dir.filePath(QStringLiteral("SchoolCalendar.ics"));
    for (bool unreadable : {true, false}) {
        writeBytes(ics, "BEGIN:VCALENDAR\r\nmended by hand");
        files.unreadable.clear();
        if (unreadable) {
            files.unreadable.insert(ics);
        }
        CalendarDocument doc(files, dir.path(), kShipped);
        QCOMPARE(doc.load().size(), 1);
        QVERIFY(doc.addEvent(sampleSchool().events[0]).contains(QStringLiteral("不会改写它")));
        QCOMPARE(fileBytes(ics), QByteArray("BEGIN:VCALENDAR\r\nmended by hand"));
    }
}

void CalendarDocumentTest::mergesAnExportedCalendar() {
    QTemporaryDir dir;
    fakes::FakeFiles files;
    CalendarDocument doc(files, dir.path(), kShipped);
    doc.load();
    const QString exported = dir.filePath(QStringLiteral("export.ics"));
    writeBytes(exported,
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
               "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20250707\r\n"
               "DTEND;VALUE=DATE:20250901\r\nSUMMARY:暑假\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nUID:b\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20251020\r\n"
               "SUMMARY:运动会\r\nCATEGORIES:调整\r\nX-QUELBROOK-TABLE:Sports.DTT\r\nEND:VEVENT\r\n"
               "END:VCALENDAR\r\n");
    const auto read = doc.readImport(exported);
    QVERIFY(std::holds_alternative<SchoolCalendarRead>(read));
    const SchoolCalendarRead& r = std::get<SchoolCalendarRead>(read);
    QCOMPARE(r.foreign.size(), 1);
    QCOMPARE(doc.mergeSchool(r, {}), QStringLiteral("还有事件没有选定类别"));
    QVERIFY(doc.calendar().school().events.isEmpty());
    QCOMPARE(doc.mergeSchool(r, {r.foreign[0].suggested}), QString());
    QCOMPARE(doc.calendar().dayPlan(QDate(2025, 8, 1)).kind, DayKind::Vacation);
    QVERIFY(doc.calendar().dayPlan(QDate(2025, 8, 1)).silent);
    QCOMPARE(doc.calendar().dayPlan(QDate(2025, 10, 20)).reason, QStringLiteral("运动会"));
}

QTEST_GUILESS_MAIN(CalendarDocumentTest)
#include "document_test.moc"
