#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "calendar/calendar_window.h"
#include "fakes/fake_platform.h"

using namespace quel;

namespace {

const QString kShipped = QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt");

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A program folder with the national calendar on and a summer season, and the window over it.
struct Fixture {
    QTemporaryDir dir;
    fakes::FakeFiles files;
    fakes::FakeDialogs dialogs;
    fakes::FakeClock clock{QDateTime(QDate(2025, 9, 26), QTime(8, 0))};
    std::unique_ptr<CalendarDocument> document;
    std::unique_ptr<CalendarWindow> window;

    Fixture() {
        QDir(dir.path()).mkdir(QStringLiteral("DayTimeTable"));
        writeBytes(dir.filePath(QStringLiteral("Holidays.txt")), "\"YES\"\r\n");
        document = std::make_unique<CalendarDocument>(files, dir.path(), kShipped);
        document->load();
        document->addEvent({SchoolCategory::Season,
                            QStringLiteral("冬季作息"),
                            QDate(2024, 10, 1),
                            QDate(2025, 5, 1),
                            QStringLiteral("Winter.DTT"),
                            0,
                            true,
                            {}});
        window = std::make_unique<CalendarWindow>(*document, dialogs, clock,
                                                  dir.filePath(QStringLiteral("DayTimeTable")),
                                                  [](const QString& table, const QDate&, int weekday) {
                                                      return (table.isEmpty() ? 10 : 20) + weekday;
                                                  });
    }
    template <typename T>
    T* find(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w) {
            qFatal("no %s", name);
        }
        return w;
    }
    QString text(const char* label) { return find<QLabel>(label)->text(); }
};

}  // namespace

class CalendarWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSelectedDay_data();
    void showsTheSelectedDay();
    void theKeyboardMovesTheDay();
    void addsAnOverride();
    void aRefusedWriteChangesNothing();
    void importsNationalDataOrSaysWhyNot_data();
    void importsNationalDataOrSaysWhyNot();
    void importsAnExportedCalendarAfterConfirmation();
    void warnsWhenTheDataRunsOut();
};

void CalendarWindowTest::showsTheSelectedDay_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("next");
    QTest::addRow("a holiday") << QDate(2025, 10, 1) << QStringLiteral("2025年10月1日 星期三\n国庆节，不打铃")
                               << QStringLiteral("10月9日起：冬季作息（Winter.DTT）");
    QTest::addRow("a make-up Sunday, with its bells as a Monday")
        << QDate(2025, 9, 28) << QStringLiteral("2025年9月28日 星期日\n调休上班，按星期一\n打铃 11 次")
        << QStringLiteral("10月1日起：国庆节，不打铃");
    QTest::addRow("a day of the default table")
        << QDate(2025, 9, 26) << QStringLiteral("2025年9月26日 星期五\n默认作息表\n打铃 15 次")
        << QStringLiteral("10月1日起：国庆节，不打铃");
}

void CalendarWindowTest::showsTheSelectedDay() {
    QFETCH(QDate, date);
    QFETCH(QString, day);
    QFETCH(QString, next);
    Fixture f;
    f.window->monthView()->setSelectedDate(date);
    QCOMPARE(f.text("LabelDay"), day);
    QCOMPARE(f.text("LabelNext"), next);
}

void CalendarWindowTest::theKeyboardMovesTheDay() {
    Fixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->monthView()->setFocus();
    f.window->monthView()->setSelectedDate(QDate(2025, 9, 30));
    // The focus sits in the grid of days inside Qt's calendar.
    QWidget* grid = f.window->monthView()->findChild<QAbstractItemView*>();
    QVERIFY(grid);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(f.window->monthView()->selectedDate(), QDate(2025, 10, 1));
    QVERIFY(f.text("LabelDay").endsWith(QStringLiteral("国庆节，不打铃")));
}

void CalendarWindowTest::addsAnOverride() {
    Fixture f;
    f.find<QComboBox>("ComboCategory")->setCurrentIndex(2);
    f.find<QLineEdit>("TextSummary")->setText(QStringLiteral("运动会"));
    f.find<QDateEdit>("DateStart")->setDate(QDate(2025, 10, 20));
    f.find<QDateEdit>("DateEnd")->setDate(QDate(2025, 10, 21));
    f.find<QComboBox>("ComboTable")->setCurrentText(QStringLiteral("Sports.DTT"));
    f.find<QPushButton>("CommandAdd")->click();
    QCOMPARE(f.dialogs.messages.size(), 0);
    QCOMPARE(f.find<QTreeWidget>("ListEvents")->topLevelItemCount(), 2);
    const QByteArray ics = fileBytes(f.dir.filePath(QStringLiteral("SchoolCalendar.ics")));
    // The operator's last day is inclusive; the file's end is the day after.
    QVERIFY(ics.contains("DTEND;VALUE=DATE:20251022\r\n"));
    QVERIFY(ics.contains("X-QUELBROOK-TABLE:Sports.DTT\r\n"));
    f.window->monthView()->setSelectedDate(QDate(2025, 10, 21));
    QCOMPARE(f.text("LabelDay"), QStringLiteral("2025年10月21日 星期二\n运动会（Sports.DTT）\n打铃 22 次"));
    // Removing it takes it out of the file and the view again.
    f.find<QTreeWidget>("ListEvents")->setCurrentItem(f.find<QTreeWidget>("ListEvents")->topLevelItem(1));
    f.find<QPushButton>("CommandDelete")->click();
    QCOMPARE(f.find<QTreeWidget>("ListEvents")->topLevelItemCount(), 1);
    QVERIFY(!fileBytes(f.dir.filePath(QStringLiteral("SchoolCalendar.ics"))).contains("运动会"));
}

void CalendarWindowTest::aRefusedWriteChangesNothing() {
    Fixture f;
    const QByteArray before = fileBytes(f.dir.filePath(QStringLiteral("SchoolCalendar.ics")));
    f.files.unwritable.insert(f.dir.filePath(QStringLiteral("SchoolCalendar.ics")));
    f.files.unwritable.insert(f.dir.filePath(QStringLiteral("Holidays.txt")));
    f.find<QLineEdit>("TextSummary")->setText(QStringLiteral("暑假"));
    f.find<QPushButton>("CommandAdd")->click();
    f.find<QCheckBox>("CheckNational")->click();
    QCOMPARE(f.dialogs.messages.size(), 2);
    QCOMPARE(f.dialogs.messages[0].text, QStringLiteral("无法写入 SchoolCalendar.ics，日历没有改变"));
    QCOMPARE(f.dialogs.messages[1].text, QStringLiteral("无法写入 Holidays.txt，日历没有改变"));
    QCOMPARE(f.find<QTreeWidget>("ListEvents")->topLevelItemCount(), 1);
    QVERIFY(f.find<QCheckBox>("CheckNational")->isChecked());
    QCOMPARE(fileBytes(f.dir.filePath(QStringLiteral("SchoolCalendar.ics"))), before);
}

void CalendarWindowTest::importsNationalDataOrSaysWhyNot_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::addRow("the next year")
        << QByteArray(R"({"holidays":{"2027-10-01":"N,国庆节,1"},"workdays":{"2027-10-09":"N,国庆节,1"}})")
        << QStringLiteral("已导入，节假日数据现为 2004–2027 年");
    QTest::addRow("an empty file") << QByteArray() << QStringLiteral("没有导入：文件是空的");
}

void CalendarWindowTest::importsNationalDataOrSaysWhyNot() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    Fixture f;
    writeBytes(f.dir.filePath(QStringLiteral("2027.json")), bytes);
    f.dialogs.fileAnswers.push_back(f.dir.filePath(QStringLiteral("2027.json")));
    f.find<QPushButton>("CommandImportNational")->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].text, message);
}

void CalendarWindowTest::importsAnExportedCalendarAfterConfirmation() {
    Fixture f;
    writeBytes(f.dir.filePath(QStringLiteral("export.ics")),
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
               "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20251101\r\n"
               "SUMMARY:校庆\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    for (bool accept : {false, true}) {
        f.dialogs.fileAnswers.push_back(f.dir.filePath(QStringLiteral("export.ics")));
        f.find<QPushButton>("CommandImportSchool")->click();
        QDialog* mapping = f.window->mappingDialog();
        QVERIFY(mapping);
        auto* combo = mapping->findChild<QComboBox*>();
        QCOMPARE(combo->currentText(), QStringLiteral("调整"));
        accept ? mapping->accept() : mapping->reject();
        QCOMPARE(f.find<QTreeWidget>("ListEvents")->topLevelItemCount(), accept ? 2 : 1);
    }
    QCOMPARE(f.document->calendar().dayPlan(QDate(2025, 11, 1)).reason, QStringLiteral("校庆"));
}

void CalendarWindowTest::warnsWhenTheDataRunsOut() {
    Fixture f;
    QCOMPARE(f.text("LabelWarning"), QString());
    f.clock.set(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    f.document->setNationalOn(true);
    QCOMPARE(f.text("LabelWarning"), QStringLiteral("节假日数据只到 2026年12月31日，请导入新的数据"));
}

QTEST_MAIN(CalendarWindowTest)
#include "window_test.moc"
