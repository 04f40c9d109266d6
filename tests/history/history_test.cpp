// The history's month files: the exact line of each kind of event, a new file each month, reading back
// the last days, and a folder that cannot be written.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_platform.h"
#include "fakes/odd_files.h"
#include "history/history.h"
#include "history/history_line.h"

using namespace quel;
using quel::fakes::FakeClock;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QDateTime kMorning(QDate(2026, 12, 2), QTime(8, 0, 5));

struct Read {
    QList<HistoryEvent> events;
    bool olderLeftOut = false;
    QStringList whats() const {
        QStringList w;
        for (const HistoryEvent& e : events)
            w << e.what;
        return w;
    }
};

// What the history's thread reads for a window, waited for as the window would.
Read readRecent(History& history, int days) {
    QSignalSpy read(&history, &History::recentRead);
    const quint64 request = history.readRecent(days);
    if (!read.wait(10000) || read.first().at(0).toULongLong() != request)
        return {{}, true};
    return {read.first().at(1).value<QList<HistoryEvent>>(), read.first().at(2).toBool()};
}

}  // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void oneLinePerEvent_data();
    void oneLinePerEvent();
    void linesReadBackAsTheyWereWritten();
    void foreignLinesAreSkipped_data();
    void foreignLinesAreSkipped();
    void aNewMonthOpensANewFile();
    void recentIsNewestFirstAndKeepsToItsDays();
    void anUnwritableFolderIsToldOnceAndAgainAfterItRecovered();
    void oddMonthFilesNeitherHoldNorLoseWithoutAWord_data();
    void oddMonthFilesNeitherHoldNorLoseWithoutAWord();
    void aLongMonthFileShowsItsNewestLinesAndSaysTheRestAreLeftOut();
};

void HistoryTest::oneLinePerEvent_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("line");

    auto row = [](const char* name, HistoryKind k, const QString& what, Outcome o, const QString& reason,
                  const QString& line) {
        QTest::addRow("%s", name) << int(k) << what << int(o) << reason << line;
    };
    row("an entry that rang", HistoryKind::Entry, "8:00:05 上课铃 /bells/a.wav", Outcome::Done, "",
        "2026-12-02 08:00:05\t时间表\t8:00:05 上课铃 /bells/a.wav\t完成\r\n");
    row("an entry passed over", HistoryKind::Entry, "8:00:05 播音关", Outcome::Missed, "",
        "2026-12-02 08:00:05\t时间表\t8:00:05 播音关\t错过\r\n");
    row("a program that did not start", HistoryKind::Entry, "8:00:05 执行程序/gone", Outcome::Failed,
        "程序无法启动", "2026-12-02 08:00:05\t时间表\t8:00:05 执行程序/gone\t失败：程序无法启动\r\n");
    row("the hourly chime", HistoryKind::Chime, "8:00:00 /q/toll/A/A8.WAV", Outcome::Done, "",
        "2026-12-02 08:00:05\t整点敲钟\t8:00:00 /q/toll/A/A8.WAV\t完成\r\n");
    row("the alarm", HistoryKind::Alarm, "/q/timeup.mp3", Outcome::Done, "",
        "2026-12-02 08:00:05\t闹铃\t/q/timeup.mp3\t完成\r\n");
    row("the count-down's end", HistoryKind::CountDown, "/q/timeup.mp3", Outcome::Done, "",
        "2026-12-02 08:00:05\t倒计时\t/q/timeup.mp3\t完成\r\n");
    row("a sound that cannot play", HistoryKind::Sound, "/q/gone.wav", Outcome::Failed, "无法播放",
        "2026-12-02 08:00:05\t声音\t/q/gone.wav\t失败：无法播放\r\n");
    row("a table that cannot be read", HistoryKind::Table, "/q/DayTimeTable/A.DTT", Outcome::Failed,
        "无法读取", "2026-12-02 08:00:05\t时间表文件\t/q/DayTimeTable/A.DTT\t失败：无法读取\r\n");
    row("a broadcast track skipped", HistoryKind::Broadcast, "/music/a.mp3", Outcome::Failed,
        "曲目无法播放，已跳过", "2026-12-02 08:00:05\t播音\t/music/a.mp3\t失败：曲目无法播放，已跳过\r\n");
    row("a power-off refused", HistoryKind::PowerOff, "关机", Outcome::Failed, "",
        "2026-12-02 08:00:05\t关机\t关机\t失败\r\n");
    row("a power-off the operator cancelled", HistoryKind::Entry, "8:00:05 关机", Outcome::Cancelled, "",
        "2026-12-02 08:00:05\t时间表\t8:00:05 关机\t取消\r\n");
    row("a count-down closed by another power-off", HistoryKind::Entry, "8:00:05 重启", Outcome::Cancelled,
        "已执行关机", "2026-12-02 08:00:05\t时间表\t8:00:05 重启\t取消：已执行关机\r\n");
    row("the clock re-synced", HistoryKind::Clock, "内部时钟 8:00:04 → 10:00:05", Outcome::Done, "",
        "2026-12-02 08:00:05\t校时\t内部时钟 8:00:04 → 10:00:05\t完成\r\n");
    row("a change from the page for a phone", HistoryKind::Remote, "192.168.1.20 立即打铃", Outcome::Failed,
        "程序尚未接通远程控制",
        "2026-12-02 08:00:05\t远程控制\t192.168.1.20 立即打铃\t失败：程序尚未接通远程控制\r\n");
    row("tabs and line breaks of a hand-made entry stay on one line", HistoryKind::Entry, "8:00:05 a\tb\r\nc",
        Outcome::Failed, "x\ny", "2026-12-02 08:00:05\t时间表\t8:00:05 a b  c\t失败：x y\r\n");
}

void HistoryTest::oneLinePerEvent() {
    QFETCH(int, kind);
    QFETCH(QString, what);
    QFETCH(int, outcome);
    QFETCH(QString, reason);
    QFETCH(QString, line);
    QTemporaryDir dir;
    FakeClock clock(kMorning);
    History history(clock, dir.filePath(QStringLiteral("History")));
    QSignalSpy recorded(&history, &History::recorded);
    history.record(HistoryKind(kind), what, Outcome(outcome), reason);
    history.flush();
    QCOMPARE(readAll(dir.filePath(QStringLiteral("History/2026-12.log"))), line.toUtf8());
    QCOMPARE(recorded.size(), 1);
}

void HistoryTest::linesReadBackAsTheyWereWritten() {
    const HistoryEvent events[] = {
        {kMorning, HistoryKind::Entry, QStringLiteral("8:00:05 上课铃"), Outcome::Done, QString()},
        {kMorning, HistoryKind::Entry, QStringLiteral("8:00:05 上课铃"), Outcome::Missed, QString()},
        {kMorning, HistoryKind::Sound, QStringLiteral("/a：b.wav"), Outcome::Failed,
         QStringLiteral("无法播放")},
        {kMorning, HistoryKind::PowerOff, QStringLiteral("关机"), Outcome::Failed, QString()},
        {kMorning, HistoryKind::Entry, QStringLiteral("8:00:05 关机"), Outcome::Cancelled, QString()},
        {kMorning, HistoryKind::Entry, QStringLiteral("8:00:05 重启"), Outcome::Cancelled,
         QStringLiteral("已执行关机")},
    };
    for (const HistoryEvent& e : events) {
        const std::optional<HistoryEvent> back = parseHistoryLine(QString::fromUtf8(historyLine(e)));
        QVERIFY(back);
        QCOMPARE(*back, e);
    }
}

void HistoryTest::foreignLinesAreSkipped_data() {
    QTest::addColumn<QString>("line");
    QTest::addRow("empty") << "";
    QTest::addRow("torn by a power cut") << "2026-12-02 08:00:05\t时间表\t8:00";
    QTest::addRow("a bad time") << "2026-13-02 08:00:05\t时间表\tx\t完成";
    QTest::addRow("an unknown kind") << "2026-12-02 08:00:05\t天气\tx\t完成";
    QTest::addRow("an unknown result") << "2026-12-02 08:00:05\t时间表\tx\t也许";
    QTest::addRow("a field too many") << "2026-12-02 08:00:05\t时间表\tx\t完成\ty";
    QTest::addRow("a result that only starts like one") << "2026-12-02 08:00:05\t时间表\tx\t取消了";
}

void HistoryTest::foreignLinesAreSkipped() {
    QFETCH(QString, line);
    QVERIFY(!parseHistoryLine(line));
}

void HistoryTest::aNewMonthOpensANewFile() {
    QTemporaryDir dir;
    FakeClock clock(QDateTime(QDate(2026, 11, 30), QTime(23, 59, 59)));
    History history(clock, dir.filePath(QStringLiteral("History")));
    history.record(HistoryKind::Entry, QStringLiteral("23:59:59 a"));
    clock.advance(1000);
    history.record(HistoryKind::Entry, QStringLiteral("0:00:00 b"));
    // An entry passed over in the old month goes to the old month's file, whenever it is written.
    history.recordAt(QDateTime(QDate(2026, 11, 30), QTime(22, 0, 0)), HistoryKind::Entry,
                     QStringLiteral("22:00:00 c"), Outcome::Missed);
    history.flush();
    QCOMPARE(readAll(dir.filePath(QStringLiteral("History/2026-11.log"))),
             QStringLiteral("2026-11-30 23:59:59\t时间表\t23:59:59 a\t完成\r\n"
                            "2026-11-30 22:00:00\t时间表\t22:00:00 c\t错过\r\n")
                 .toUtf8());
    QCOMPARE(readAll(dir.filePath(QStringLiteral("History/2026-12.log"))),
             QStringLiteral("2026-12-01 00:00:00\t时间表\t0:00:00 b\t完成\r\n").toUtf8());
}

void HistoryTest::recentIsNewestFirstAndKeepsToItsDays() {
    QTemporaryDir dir;
    FakeClock clock(QDateTime(QDate(2026, 11, 24), QTime(8, 0, 0)));
    History history(clock, dir.filePath(QStringLiteral("History")));
    history.record(HistoryKind::Entry, QStringLiteral("too old"));
    for (int day = 1; day <= 8; ++day) {
        clock.set(QDateTime(QDate(2026, 11, 24).addDays(day), QTime(8, 0, 0)));
        history.record(HistoryKind::Entry, QStringLiteral("day %1 first").arg(day));
        history.record(HistoryKind::Chime, QStringLiteral("day %1 second").arg(day));
    }
    history.flush();
    // A line torn by a power cut costs that line only.
    {
        QFile f(dir.filePath(QStringLiteral("History/2026-11.log")));
        QVERIFY(f.open(QIODevice::Append));
        f.write("2026-11-30 08:0");
    }
    clock.set(QDateTime(QDate(2026, 12, 2), QTime(9, 0, 0)));  // day 8
    // Within one second the later line comes first too.
    QCOMPARE(readRecent(history, 3).whats(), (QStringList{"day 8 second", "day 8 first", "day 7 second",
                                                          "day 7 first", "day 6 second", "day 6 first"}));
    const Read month = readRecent(history, 30);
    QCOMPARE(month.events.size(), 17);
    QVERIFY(!month.olderLeftOut);
}

void HistoryTest::anUnwritableFolderIsToldOnceAndAgainAfterItRecovered() {
    QTemporaryDir dir;
    // A file where the folder should be: no line can be written, whoever runs the test.
    const QString folder = dir.filePath(QStringLiteral("History"));
    QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    FakeClock clock(kMorning);
    History history(clock, folder);
    QSignalSpy failed(&history, &History::writeFailed);
    QSignalSpy recorded(&history, &History::recorded);
    for (int i = 0; i < 3; ++i)
        history.record(HistoryKind::Entry, QStringLiteral("lost"));
    history.flush();
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().toString(), folder + QStringLiteral("/2026-12.log"));
    QCOMPARE(recorded.size(), 3);  // the window and the notices still hear of them

    QVERIFY(QFile::remove(folder));
    history.record(HistoryKind::Entry, QStringLiteral("kept"));
    history.flush();
    QCOMPARE(readAll(folder + QStringLiteral("/2026-12.log")),
             QByteArray("2026-12-02 08:00:05\t时间表\tkept\t完成\r\n"));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    history.record(HistoryKind::Entry, QStringLiteral("lost again"));
    history.flush();
    QTRY_COMPARE(failed.size(), 2);
}

void HistoryTest::oddMonthFilesNeitherHoldNorLoseWithoutAWord_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QStringList>("shown");  // newest first; last month's line is always there to read
    QTest::addColumn<bool>("olderLeftOut");
    const QStringList both{"today", "today", "today", "last month"};
    const QStringList lastMonth{"last month"};
    QTest::addRow("a folder") << fakes::kOddKinds[0] << false << lastMonth << false;
    QTest::addRow("a dangling link: its target is made") << fakes::kOddKinds[1] << true << both << false;
    QTest::addRow("a FIFO") << fakes::kOddKinds[2] << false << lastMonth << false;
    QTest::addRow("a link to /dev/zero") << fakes::kOddKinds[3] << false << lastMonth << false;
    // One line of 4 MB: its newest end is read, and the rest is said to be left out.
    QTest::addRow("a file beyond the cap")
        << fakes::kOddKinds[4] << true << QStringList{"today", "today", "today"} << true;
}

void HistoryTest::oddMonthFilesNeitherHoldNorLoseWithoutAWord() {
    QFETCH(QString, kind);
    QFETCH(bool, written);
    QFETCH(QStringList, shown);
    QFETCH(bool, olderLeftOut);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("History"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(fakes::makeOddFile(folder + QStringLiteral("/2026-12.log"), kind));
    FakeClock clock(kMorning);
    History history(clock, folder);
    history.recordAt(kMorning.addDays(-3), HistoryKind::Entry, QStringLiteral("last month"));
    QSignalSpy failed(&history, &History::writeFailed);
    for (int i = 0; i < 3; ++i)
        history.record(HistoryKind::Entry, QStringLiteral("today"));
    const Read read = readRecent(history, 7);
    QCOMPARE(read.whats(), shown);
    QCOMPARE(read.olderLeftOut, olderLeftOut);
    // A line that cannot be written is said once, not once a line.
    QCOMPARE(failed.size(), written ? 0 : 1);
    if (!written)
        QCOMPARE(failed.first().first().toString(), folder + QStringLiteral("/2026-12.log"));
}

void HistoryTest::aLongMonthFileShowsItsNewestLinesAndSaysTheRestAreLeftOut() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("History"));
    QVERIFY(QDir().mkpath(folder));
    // Years of a busy school in one month file: 30 MB of lines, up to this morning.
    QFile file(folder + QStringLiteral("/2026-12.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString padding(60, QLatin1Char('x'));
    const int lines = 300000;
    QByteArray chunk;
    for (int i = 0; i < lines; ++i) {
        const HistoryEvent e{kMorning.addSecs(qint64(i - lines + 1) * 6), HistoryKind::Entry,
                             QStringLiteral("%1 %2").arg(i).arg(padding), Outcome::Done, QString()};
        chunk += historyLine(e);
        if (chunk.size() > 1024 * 1024) {
            QVERIFY(file.write(chunk) == chunk.size());
            chunk.clear();
        }
    }
    QVERIFY(file.write(chunk) == chunk.size());
    file.close();
    QVERIFY(QFileInfo(file).size() > 25 * 1024 * 1024);

    FakeClock clock(kMorning);
    History history(clock, folder);
    const Read read = readRecent(history, 7);
    QVERIFY(read.olderLeftOut);
    QVERIFY(read.events.size() > 1000);
    QVERIFY(read.events.size() <= History::kMostEventsRead);
    QCOMPARE(read.events.first().what, QStringLiteral("%1 %2").arg(lines - 1).arg(padding));
    QCOMPARE(read.events.first().when, kMorning);
    // Newest first, without a gap: the lines shown are the newest ones of the file.
    QCOMPARE(read.events.last().what, QStringLiteral("%1 %2").arg(lines - read.events.size()).arg(padding));
}

QTEST_GUILESS_MAIN(HistoryTest)
#include "history_test.moc"
