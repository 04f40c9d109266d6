// The main window on fakes with a school calendar: the day's table chosen at start, at midnight and
// after a re-sync; and nothing different at all while no calendar is set up.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "history/history.h"
#include "platform/settings_names.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/unattended.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QByteArray kSeasons =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:t\r\n"
    "BEGIN:VEVENT\r\nUID:s\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20250501\r\n"
    "DTEND;VALUE=DATE:20251001\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:夏季作息\r\nCATEGORIES:作息\r\n"
    "X-QUELBROOK-TABLE:Summer.DTT\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20241001\r\n"
    "DTEND;VALUE=DATE:20250501\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:冬季作息\r\nCATEGORIES:作息\r\n"
    "X-QUELBROOK-TABLE:Winter.DTT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

struct Fixture {
    explicit Fixture(const QDateTime& start) : fake(dir.path()) {
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        files.writeText(path(settings::kDefaultTable), QStringLiteral("|8:00:00*默认>每天</bells/d.wav"));
        files.writeText(path(QStringLiteral("DayTimeTable/Summer.DTT")),
                        QStringLiteral("|8:00:00*夏>每天</bells/s.wav"));
        files.writeText(path(QStringLiteral("DayTimeTable/Winter.DTT")),
                        QStringLiteral("|8:00:00*冬>每天</bells/w.wav"));
        fake.clock.set(start);
    }
    void setUpCalendar() const {
        DiskFiles files;
        files.write(path(QStringLiteral("SchoolCalendar.ics")), kSeasons);
        files.writeText(path(QStringLiteral("Holidays.txt")), QStringLiteral("YES"));
        QFile shipped(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        files.write(path(QStringLiteral("NationalHolidays.txt")), shipped.readAll());
    }
    void start() {
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            fake.clock.advance(window->clockTick().interval());
            window->clockTick().tick();
        }
    }
    QString table() const { return QFileInfo(window->table().currentPath()).fileName(); }
    QString today() const {
        auto* label = window->findChild<QLabel*>(QStringLiteral("LabelCalendar"));
        return label ? label->text() : QStringLiteral("<none>");
    }
    // The history's lines of one kind: "time<TAB>what<TAB>result" without the kind.
    QStringList historyOf(const QString& kind) const {
        window->unattended().history().flush();
        QStringList lines;
        for (const QString& month :
             QDir(path(QStringLiteral("History"))).entryList(QDir::Files, QDir::Name)) {
            QFile f(path(QStringLiteral("History/") + month));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            for (const QString& line :
                 QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
                if (line.section(QLatin1Char('\t'), 1, 1) == kind)
                    lines << line.section(QLatin1Char('\t'), 0, 0) + QLatin1Char('\t') +
                                 line.section(QLatin1Char('\t'), 2);
            }
        }
        return lines;
    }
    QStringList calendarHistory() const {
        window->unattended().history().flush();
        QStringList lines;
        for (const QString& month :
             QDir(path(QStringLiteral("History"))).entryList(QDir::Files, QDir::Name)) {
            QFile f(path(QStringLiteral("History/") + month));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            for (const QString& line :
                 QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
                if (line.section(QLatin1Char('\t'), 1, 1) == QStringLiteral("日历"))
                    lines << line.section(QLatin1Char('\t'), 2, 2);
            }
        }
        return lines;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class CalendarWiringTest : public QObject {
    Q_OBJECT
private slots:
    void nothingSetUpChangesNothing();
    void choosesAtStartAtMidnightAndAfterAResync();
    void theHolidaySwitchIsKept();
};

void CalendarWiringTest::nothingSetUpChangesNothing() {
    Fixture f(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 58)));
    f.start();
    f.tick(4);
    QCOMPARE(f.table(), QStringLiteral("Default.DTT"));
    QCOMPARE(f.today(), QStringLiteral("<none>"));
    QCOMPARE(f.calendarHistory(), QStringList());
    QVERIFY(!f.window->clockTick().dayRule(QDate(2026, 10, 1)).silent);
    QVERIFY(!QFile::exists(f.path(QStringLiteral("SchoolCalendar.ics"))));
    QVERIFY(!QFile::exists(f.path(QStringLiteral("Holidays.txt"))));
}

void CalendarWiringTest::choosesAtStartAtMidnightAndAfterAResync() {
    Fixture f(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 58)));
    f.setUpCalendar();
    f.start();
    QCOMPARE(f.table(), QStringLiteral("Summer.DTT"));
    QCOMPARE(f.today(), QStringLiteral("今天：夏季作息（Summer.DTT）"));
    f.tick(4);
    QCOMPARE(f.window->clockTick().programDay(), QDate(2026, 10, 1));
    QCOMPARE(f.today(), QStringLiteral("今天：国庆节，不打铃"));
    QVERIFY(f.window->clockTick().dayRule(QDate(2026, 10, 1)).silent);
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("LabelNext"))->text(),
             QStringLiteral("下一项 10月8日 8:00:00 冬"));
    // Asleep until after the holiday: the wake-up re-syncs the clock and the winter table comes.
    f.fake.clock.sleep(8LL * 24 * 3600 * 1000);
    f.tick();
    QCOMPARE(f.window->clockTick().programDay(), QDate(2026, 10, 9));
    QCOMPARE(f.table(), QStringLiteral("Winter.DTT"));
    QCOMPARE(f.today(), QStringLiteral("今天：冬季作息（Winter.DTT）"));
    // Of the days slept through, only the school day after the holiday missed its bell.
    QCOMPARE(f.historyOf(QStringLiteral("时间表")),
             QStringList{QStringLiteral("2026-10-08 08:00:00\t8:00:00 夏 /bells/s.wav\t错过")});
    const QStringList history = f.calendarHistory();
    QCOMPARE(history.first(), QStringLiteral("2026-09-30 今天：夏季作息（Summer.DTT）"));
    QVERIFY(history.contains(QStringLiteral("2026-10-01 今天：国庆节，不打铃")));
    QCOMPARE(history.last(), QStringLiteral("2026-10-09 今天：冬季作息（Winter.DTT）"));
}

void CalendarWiringTest::theHolidaySwitchIsKept() {
    Fixture f(QDateTime(QDate(2026, 10, 1), QTime(7, 0)));
    f.start();
    QAction* holidays =
        f.window->menus().menu(QStringLiteral("Menu1"))->findChild<QAction*>(QStringLiteral("MenuHolidays"));
    QVERIFY(holidays);
    QVERIFY(!holidays->isChecked());
    holidays->trigger();
    QCOMPARE(QFile(f.path(QStringLiteral("Holidays.txt"))).size(), 7);  // "YES" CR LF
    QVERIFY(holidays->isChecked());
    holidays->trigger();
    QVERIFY(!holidays->isChecked());
    QCOMPARE(QFile(f.path(QStringLiteral("Holidays.txt"))).size(), 6);  // "NO" CR LF
}

QTEST_MAIN(CalendarWiringTest)
#include "calendar_test.moc"
