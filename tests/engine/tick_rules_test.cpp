#include <QTest>

#include "engine/recurrence.h"
#include "engine/tick_rules.h"
#include "schedule/entry_grammar.h"

using namespace quel;

class TickRulesTest : public QObject {
    Q_OBJECT

private slots:
    void steering_data();
    void steering();
    void advance_data();
    void advance();
    void recurrence_data();
    void recurrence();
    void monthlyThirtyFirstNeverFiresInAThirtyDayMonth();
    void due_data();
    void due();
    void responseKind_data();
    void responseKind();
    void commandLine_data();
    void commandLine();
};

void TickRulesTest::steering_data() {
    QTest::addColumn<QTime>("system");
    QTest::addColumn<ProgramClock>("program");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("expected");

    QTest::addRow("a program clock one second behind catches up")
        << QTime(8, 5, 10) << ProgramClock{8, 5, 9} << 1000 << kCatchUpIntervalMs;
    QTest::addRow("a program clock one second ahead holds back")
        << QTime(8, 5, 10) << ProgramClock{8, 5, 11} << 1000 << kHoldBackIntervalMs;
    QTest::addRow("agreeing clocks keep a calibrated 950")
        << QTime(8, 5, 10) << ProgramClock{8, 5, 10} << 950 << 950;
    QTest::addRow("agreeing clocks keep a catching-up pace")
        << QTime(8, 5, 10) << ProgramClock{8, 5, 10} << kCatchUpIntervalMs << kCatchUpIntervalMs;
    QTest::addRow("a whole hour apart counts as agreeing")
        << QTime(9, 5, 10) << ProgramClock{8, 5, 10} << kHoldBackIntervalMs << kHoldBackIntervalMs;
    QTest::addRow("minutes weigh more than seconds")
        << QTime(8, 6, 0) << ProgramClock{8, 5, 59} << 1000 << kCatchUpIntervalMs;
    QTest::addRow("a forward change across the hour holds the clock back")
        << QTime(9, 5, 0) << ProgramClock{8, 55, 0} << 1000 << kHoldBackIntervalMs;
}

void TickRulesTest::steering() {
    QFETCH(QTime, system);
    QFETCH(ProgramClock, program);
    QFETCH(int, current);
    QFETCH(int, expected);
    QCOMPARE(steeredInterval(system, program, current), expected);
}

void TickRulesTest::advance_data() {
    QTest::addColumn<ProgramClock>("before");
    QTest::addColumn<QString>("after");

    QTest::addRow("seconds below ten keep their zero") << ProgramClock{8, 5, 8} << "8:05:09";
    QTest::addRow("a minute turns over") << ProgramClock{8, 9, 59} << "8:10:00";
    QTest::addRow("an hour turns over") << ProgramClock{12, 59, 59} << "13:00:00";
    QTest::addRow("midnight reads 0:00:00") << ProgramClock{23, 59, 59} << "0:00:00";
    QTest::addRow("the first hour has no leading zero") << ProgramClock{0, 0, 9} << "0:00:10";
}

void TickRulesTest::advance() {
    QFETCH(ProgramClock, before);
    QFETCH(QString, after);
    QCOMPARE(nextSecond(before).text(), after);
}

void TickRulesTest::recurrence_data() {
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("fires");

    const QDate wednesday(2026, 12, 2);
    QTest::addRow("every day fires") << "每天" << wednesday << true;
    QTest::addRow("星期三 fires on a Wednesday") << "星期三" << wednesday << true;
    QTest::addRow("星期三 stays silent on a Thursday") << "星期三" << wednesday.addDays(1) << false;
    QTest::addRow("星期日 fires on a Sunday") << "星期日" << QDate(2026, 12, 6) << true;
    QTest::addRow("星期六 fires on a Saturday") << "星期六" << QDate(2026, 12, 5) << true;
    QTest::addRow("星期一 stays silent on a Sunday") << "星期一" << QDate(2026, 12, 6) << false;
    QTest::addRow("每月5日 fires on the fifth") << "每月5日" << QDate(2026, 3, 5) << true;
    QTest::addRow("每月5日 stays silent on the fifteenth") << "每月5日" << QDate(2026, 3, 15) << false;
    QTest::addRow("每月09日 fires on the ninth, numbers compare by value")
        << "每月09日" << QDate(2026, 3, 9) << true;
    QTest::addRow("每月31日 fires on a 31st") << "每月31日" << QDate(2026, 12, 31) << true;
    QTest::addRow("每年2月29日 fires in a leap year") << "每年2月29日" << QDate(2028, 2, 29) << true;
    QTest::addRow("每年2月29日 stays silent on 28 February of a common year")
        << "每年2月29日" << QDate(2027, 2, 28) << false;
    QTest::addRow("每年2月29日 stays silent on 1 March of a common year")
        << "每年2月29日" << QDate(2027, 3, 1) << false;
    QTest::addRow("每年9月1日 needs the month too") << "每年9月1日" << QDate(2026, 10, 1) << false;
    QTest::addRow("每年12月25日 reads a two-digit month") << "每年12月25日" << QDate(2026, 12, 25) << true;
    QTest::addRow("2004年9月1日 fires on that day") << "2004年9月1日" << QDate(2004, 9, 1) << true;
    QTest::addRow("2004年9月1日 stays silent a year later") << "2004年9月1日" << QDate(2005, 9, 1) << false;
    QTest::addRow("2004年9月1日 stays silent the next day") << "2004年9月1日" << QDate(2004, 9, 2) << false;
    QTest::addRow("2026年12月02日 compares by value") << "2026年12月02日" << wednesday << true;

    QTest::addRow("an empty Attribute never fires") << "" << wednesday << false;
    QTest::addRow("星期八 is no weekday and no date") << "星期八" << wednesday << false;
    QTest::addRow("星期 alone never fires") << "星期" << wednesday << false;
    QTest::addRow("每月 without a day never fires") << "每月" << wednesday << false;
    QTest::addRow("每月x日 never fires") << "每月x日" << wednesday << false;
    QTest::addRow("每年 without 月 never fires") << "每年12日" << QDate(2026, 12, 12) << false;
    QTest::addRow("每年 without 日 never fires") << "每年12月2" << wednesday << false;
    QTest::addRow("每年 with 日 before 月 never fires") << "每年2日12月" << wednesday << false;
    QTest::addRow("每年 with an empty month never fires") << "每年月2日" << wednesday << false;
    QTest::addRow("a date with letters for a year never fires") << "abcd年12月2日" << wednesday << false;
    QTest::addRow("a date without 日 never fires") << "2026年12月2" << wednesday << false;
    QTest::addRow("a date shorter than a year never fires") << "202" << wednesday << false;
}

void TickRulesTest::recurrence() {
    QFETCH(QString, attribute);
    QFETCH(QDate, today);
    QFETCH(bool, fires);
    QCOMPARE(recurrenceHolds(attribute, today), fires);
}

void TickRulesTest::monthlyThirtyFirstNeverFiresInAThirtyDayMonth() {
    for (QDate d(2026, 11, 1); d.month() == 11; d = d.addDays(1)) {
        QVERIFY2(!recurrenceHolds(u"每月31日", d), qPrintable(d.toString(Qt::ISODate)));
    }
}

void TickRulesTest::due_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("clockText");
    QTest::addColumn<bool>("due");
    QTest::addColumn<QString>("response");

    QTest::addRow("a matching entry gives its Response") << "8:05:00*没有注释>每天<中文男声报时"
                                                         << "8:05:00" << true << "中文男声报时";
    QTest::addRow("the Response keeps separators of its own") << "8:05:00*c>每天<执行程序/bin/a <b> *c"
                                                              << "8:05:00" << true << "执行程序/bin/a <b> *c";
    QTest::addRow("a Time with a leading zero does not match") << "08:05:00*c>每天<x"
                                                               << "8:05:00" << false << "";
    QTest::addRow("a second off does not match") << "8:05:01*c>每天<x"
                                                 << "8:05:00" << false << "";
    QTest::addRow("a Time that only begins like the clock does not match") << "8:05:00 *c>每天<x"
                                                                           << "8:05:00" << false << "";
    QTest::addRow("an entry without * never fires") << "8:05:00>每天<x"
                                                    << "8:05:00" << false << "";
    QTest::addRow("an entry without > never fires") << "8:05:00*c每天<x"
                                                    << "8:05:00" << false << "";
    QTest::addRow("an entry without < never fires") << "8:05:00*c>每天"
                                                    << "8:05:00" << false << "";
    QTest::addRow("a < in the comment never fires") << "8:05:00*a<b>每天<x"
                                                    << "8:05:00" << false << "";
    QTest::addRow("an empty entry never fires") << ""
                                                << "8:05:00" << false << "";
    QTest::addRow("an empty Response still fires, as a tone") << "8:05:00*c>每天<"
                                                              << "8:05:00" << true << "";
    QTest::addRow("a failing recurrence does not fire") << "8:05:00*c>星期一<x"
                                                        << "8:05:00" << false << "";
}

void TickRulesTest::due() {
    QFETCH(QString, entry);
    QFETCH(QString, clockText);
    QFETCH(bool, due);
    QFETCH(QString, response);
    const std::optional<QString> got = dueResponse(entry, clockText, QDate(2026, 12, 2));
    QCOMPARE(got.has_value(), due);
    if (due)
        QCOMPARE(*got, response);
}

void TickRulesTest::responseKind_data() {
    QTest::addColumn<QString>("response");
    QTest::addColumn<ResponseKind>("kind");

    // Only the beginning counts: a later keyword inside a path never reaches its own row.
    QTest::addRow("a static broadcast of a list named 播音关 stays static")
        << "播音开-静态/校时/播音关.PLF" << ResponseKind::BroadcastStaticOn;
    QTest::addRow("收音机关 is not a shutdown") << "收音机关" << ResponseKind::RadioOff;
    QTest::addRow("a program named 关机 still runs") << "执行程序/opt/关机" << ResponseKind::RunProgram;
    QTest::addRow("a path that names a keyword later is a tone")
        << "/sounds/中文男声报时.wav" << ResponseKind::Tone;
    QTest::addRow("播音 alone is a tone") << "播音" << ResponseKind::Tone;
    QTest::addRow("an empty Response is a tone") << "" << ResponseKind::Tone;
}

void TickRulesTest::responseKind() {
    QFETCH(QString, response);
    QFETCH(ResponseKind, kind);
    QCOMPARE(quel::responseKind(response), kind);
}

void TickRulesTest::commandLine_data() {
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("command");

    const QString longCommand = QStringLiteral("/bin/echo ") + QString(600, QLatin1Char('x'));
    QTest::addRow("the text after the keyword") << "执行程序/usr/bin/xmessage 上课"
                                                << "/usr/bin/xmessage 上课";
    QTest::addRow("a command of 600 characters is cut at 500")
        << "执行程序" + longCommand << longCommand.left(500);
    QTest::addRow("a command of exactly 500 characters is whole")
        << "执行程序" + longCommand.left(500) << longCommand.left(500);
    QTest::addRow("the cut never splits a surrogate pair")
        << "执行程序" + QString(499, QLatin1Char('a')) + QStringLiteral("𝄞tail")
        << QString(499, QLatin1Char('a'));
    QTest::addRow("the keyword alone gives no command") << "执行程序"
                                                        << "";
}

void TickRulesTest::commandLine() {
    QFETCH(QString, response);
    QFETCH(QString, command);
    QCOMPARE(parseResponse(response).payload, command);
}

QTEST_GUILESS_MAIN(TickRulesTest)
#include "tick_rules_test.moc"
