#include <QTest>

#include "engine/status_line.h"

using namespace quel;

namespace {
constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;
}  // namespace

class TickStatusTest : public QObject {
    Q_OBJECT

private slots:
    void uptime_data();
    void uptime();
    void timeFormatDropsTheZone_data();
    void timeFormatDropsTheZone();
    void statusLine_data();
    void statusLine();
    void startupLabel_data();
    void startupLabel();
};

void TickStatusTest::uptime_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<Uptime>("expected");

    QTest::addRow("just started") << qint64(0) << Uptime{0, 0, 0};
    QTest::addRow("2 h 3 min 4.5 s drops the half second")
        << 2 * kHour + 3 * kMinute + 4500 << Uptime{2, 3, 4};
    QTest::addRow("1 h 1 min reads 1:1:0, not 1:0:60") << kHour + kMinute << Uptime{1, 1, 0};
    QTest::addRow("a second short of an hour") << kHour - 1 << Uptime{0, 59, 59};
    QTest::addRow("past 24.8 days the count goes on, no wrap")
        << qint64(0x7fffffff) + kSecond << Uptime{596, 31, 24};
    QTest::addRow("a year of uptime") << 365 * kDay + 7 * kMinute << Uptime{8760, 7, 0};
    QTest::addRow("a negative count reads as zero") << qint64(-5000) << Uptime{0, 0, 0};
}

void TickStatusTest::uptime() {
    QFETCH(qint64, ms);
    QFETCH(Uptime, expected);
    const Uptime got = splitUptime(ms);
    QCOMPARE(got.hours, expected.hours);
    QCOMPARE(got.minutes, expected.minutes);
    QCOMPARE(got.seconds, expected.seconds);
}

void TickStatusTest::timeFormatDropsTheZone_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    QTest::addRow("C") << "C"
                       << "08:05:10";
    QTest::addRow("Chinese") << "zh_CN"
                             << "08:05:10";
    QTest::addRow("US English keeps its AM") << "en_US"
                                             << "8:05:10 AM";
}

void TickStatusTest::timeFormatDropsTheZone() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QLocale l(locale);
    QCOMPARE(l.toString(QTime(8, 5, 10), timeFormatWithSeconds(l)), text);
}

void TickStatusTest::statusLine_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("clockText");
    QTest::addColumn<qint64>("uptime");
    QTest::addColumn<QString>("line");

    QTest::addRow("a Wednesday morning")
        << QDateTime(QDate(2026, 12, 2), QTime(8, 5, 10, 300)) << "8:05:09" << 2 * kHour + 3 * kMinute + 4500
        << "系统>08:05:10 内部>8:05:09 开机>2:3:4 星期三";
    QTest::addRow("a Sunday after 30 days of uptime")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)) << "0:00:00" << 30 * kDay + 59 * kSecond
        << "系统>23:59:59 内部>0:00:00 开机>720:0:59 星期日";
    QTest::addRow("a Saturday") << QDateTime(QDate(2026, 12, 5), QTime(0, 0, 1)) << "0:00:01" << kSecond
                                << "系统>00:00:01 内部>0:00:01 开机>0:0:1 星期六";
}

void TickStatusTest::statusLine() {
    QFETCH(QDateTime, now);
    QFETCH(QString, clockText);
    QFETCH(qint64, uptime);
    QFETCH(QString, line);
    const QLocale c = QLocale::c();
    QCOMPARE(quel::statusLine(now, clockText, uptime, c, timeFormatWithSeconds(c)), line);
}

void TickStatusTest::startupLabel_data() {
    QTest::addColumn<qint64>("uptime");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("label");

    QTest::addRow("hours and minutes, seconds dropped")
        << 2 * kHour + 3 * kMinute + 59 * kSecond << QDate(2026, 12, 2) << "开机2时3分 星期三";
    QTest::addRow("1 h 1 min reads 1时1分") << kHour + kMinute << QDate(2026, 12, 3) << "开机1时1分 星期四";
    QTest::addRow("past 24.8 days") << 40 * kDay << QDate(2026, 12, 4) << "开机960时0分 星期五";
}

void TickStatusTest::startupLabel() {
    QFETCH(qint64, uptime);
    QFETCH(QDate, today);
    QFETCH(QString, label);
    QCOMPARE(startupUptimeLabel(uptime, today), label);
}

QTEST_GUILESS_MAIN(TickStatusTest)
#include "tick_status_test.moc"
