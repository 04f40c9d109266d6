// Which hand-made entries can never fire, and the reason the list gives for each.
#include <QtTest>

#include "schedule/entry_grammar.h"

using quel::whyNeverRings;

namespace {
const QString kNever = QStringLiteral("，这一项永远不会响。");
const QString kNotAForm =
    QStringLiteral("”不是每天、星期几、每月某日、每年某月某日或某年某月某日（数字用半角）") + kNever;
const QString kSeparators = QStringLiteral("缺少分隔符 * > < 或次序不对") + kNever;
QString badTime(const QString& time) {
    return QStringLiteral("时间“") + time + QStringLiteral("”不是“时:分:秒”（如 8:05:00）") + kNever;
}
QString badAttribute(const QString& attribute) {
    return QStringLiteral("属性“") + attribute + kNotAForm;
}
QString noSuchDay(const QString& attribute) {
    return QStringLiteral("属性“") + attribute + QStringLiteral("”的日子不存在") + kNever;
}
}  // namespace

class EntryGrammarTest : public QObject {
    Q_OBJECT
private slots:
    void entriesTheTickCannotFireAreNamed_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("why");  // empty: the entry can fire
        // Each form the tick knows, at its edges.
        QTest::addRow("every day") << "8:05:00*c>每天<关机"
                                   << "";
        QTest::addRow("a two-digit hour") << "23:59:59*c>每天<关机"
                                          << "";
        QTest::addRow("midnight") << "0:00:00*c>每天<关机"
                                  << "";
        QTest::addRow("a weekday") << "8:05:00*c>星期日<关机"
                                   << "";
        QTest::addRow("a day of every month with a leading zero") << "8:05:00*c>每月09日<关机"
                                                                  << "";
        QTest::addRow("the thirty-first of every month") << "8:05:00*c>每月31日<关机"
                                                         << "";
        QTest::addRow("the 29th of February every year") << "8:05:00*c>每年2月29日<关机"
                                                         << "";
        QTest::addRow("one date") << "8:05:00*c>2026年9月1日<关机"
                                  << "";
        QTest::addRow("a tone without a path rings the built-in tone") << "8:05:00*c>每天<"
                                                                       << "";
        QTest::addRow("a comment holding an odd date") << "8:05:00*2026年2月30日>每天<关机"
                                                       << "";

        QTest::addRow("no separators at all") << "8:05:00 每天 关机" << kSeparators;
        QTest::addRow("no response mark") << "8:05:00*c>每天" << kSeparators;
        QTest::addRow("attribute before comment") << "8:05:00>每天*c<关机" << kSeparators;
        QTest::addRow("a leading zero on the hour") << "08:05:00*c>每天<关机" << badTime("08:05:00");
        QTest::addRow("no seconds") << "8:05*c>每天<关机" << badTime("8:05");
        QTest::addRow("hour 24") << "24:00:00*c>每天<关机" << badTime("24:00:00");
        QTest::addRow("minute 60") << "8:60:00*c>每天<关机" << badTime("8:60:00");
        QTest::addRow("a full-width hour") << "８:05:00*c>每天<关机" << badTime("８:05:00");
        QTest::addRow("a space before the time") << " 8:05:00*c>每天<关机" << badTime(" 8:05:00");
        QTest::addRow("a weekday spelled 周三") << "8:05:00*c>周三<关机" << badAttribute("周三");
        QTest::addRow("星期八") << "8:05:00*c>星期八<关机" << badAttribute("星期八");
        QTest::addRow("every day with a space") << "8:05:00*c>每天 <关机" << badAttribute("每天 ");
        QTest::addRow("the 32nd of every month") << "8:05:00*c>每月32日<关机" << badAttribute("每月32日");
        QTest::addRow("month 13 every year") << "8:05:00*c>每年13月1日<关机" << badAttribute("每年13月1日");
        QTest::addRow("the 31st of April every year")
            << "8:05:00*c>每年4月31日<关机" << noSuchDay("每年4月31日");
        QTest::addRow("a full-width year")
            << "8:05:00*c>２０２６年9月1日<关机" << badAttribute("２０２６年9月1日");
        QTest::addRow("a two-digit year") << "8:05:00*c>26年9月1日<关机" << badAttribute("26年9月1日");
        QTest::addRow("February 29th of a common year")
            << "8:05:00*c>2026年2月29日<关机" << noSuchDay("2026年2月29日");
        QTest::addRow("执行程序 with nothing to run")
            << "8:05:00*c>每天<执行程序  " << QStringLiteral("执行程序后没有要执行的程序") + kNever;
        QTest::addRow("打开表 with no table")
            << "8:05:00*c>每天<打开表" << QStringLiteral("打开表后没有要打开的时间表") + kNever;
    }
    void entriesTheTickCannotFireAreNamed() {
        QFETCH(QString, entry);
        QFETCH(QString, why);
        QCOMPARE(whyNeverRings(entry), why);
    }

    void fullWidthDigitsBecomeAscii_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("ascii");
        QTest::addRow("a year") << "２０２６"
                                << "2026";
        QTest::addRow("mixed") << "2０2６"
                               << "2026";
        QTest::addRow("other full-width letters stay") << "２０ｘ６"
                                                       << "20ｘ6";
        QTest::addRow("Chinese numerals stay") << "二〇二六"
                                               << "二〇二六";
    }
    void fullWidthDigitsBecomeAscii() {
        QFETCH(QString, typed);
        QFETCH(QString, ascii);
        QCOMPARE(quel::asciiDigits(typed), ascii);
    }
};

QTEST_GUILESS_MAIN(EntryGrammarTest)
#include "entry_grammar_test.moc"
