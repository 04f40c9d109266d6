#include <QTest>

#include "schedule/entry_grammar.h"
#include "schedule/table.h"

using namespace quel;

class TableTest : public QObject {
    Q_OBJECT
private slots:
    void splitsTableText_data();
    void splitsTableText();
    void tableTextRoundTrips();
    void splitsEntryByFirstSeparators_data();
    void splitsEntryByFirstSeparators();
    void removesWholeEntriesOnly_data();
    void removesWholeEntriesOnly();
    void classifiesResponses_data();
    void classifiesResponses();
};

void TableTest::splitsTableText_data() {
    QTest::addColumn<QString>("tableText");
    QTest::addColumn<QStringList>("entries");
    QTest::addRow("an empty text has no entries") << QString() << QStringList();
    QTest::addRow("a text without a bar has no entries")
        << QStringLiteral("8:00:00*x>每天<校时") << QStringList();
    QTest::addRow("text before the first bar is ignored")
        << QStringLiteral("junk|8:00:00*没有注释>每天<校时")
        << QStringList{QStringLiteral("8:00:00*没有注释>每天<校时")};
    QTest::addRow("entries stay in file order")
        << QStringLiteral("|9:00:00*a>每天<校时|8:00:00*b>每天<关机")
        << QStringList{QStringLiteral("9:00:00*a>每天<校时"), QStringLiteral("8:00:00*b>每天<关机")};
    QTest::addRow("two adjacent bars give an empty entry")
        << QStringLiteral("|a||b") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::addRow("a trailing bar gives an empty last entry")
        << QStringLiteral("|a|") << QStringList{QStringLiteral("a"), QString()};
    QTest::addRow("a lone bar is one empty entry") << QStringLiteral("|") << QStringList{QString()};
}

void TableTest::splitsTableText() {
    QFETCH(QString, tableText);
    QFETCH(QStringList, entries);
    QCOMPARE(splitTableText(tableText), entries);
}

void TableTest::tableTextRoundTrips() {
    QCOMPARE(tableTextOf({}), QString());
    const QString text = QStringLiteral("|8:00:00*没有注释>每天<校时|13:30:00*午休>星期一<收音机开");
    QCOMPARE(tableTextOf(splitTableText(text)), text);
}

void TableTest::splitsEntryByFirstSeparators_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("fields");  // time, comment, attribute, response
    QTest::addRow("a whole entry") << QStringLiteral("8:05:00*没有注释>每天<中文男声报时")
                                   << QStringList{"8:05:00", "没有注释", "每天", "中文男声报时"};
    QTest::addRow("separators inside the response belong to it")
        << QStringLiteral("8:00:00*c>每天<执行程序/bin/sh -c a>b<c*d")
        << QStringList{"8:00:00", "c", "每天", "执行程序/bin/sh -c a>b<c*d"};
    QTest::addRow("an empty entry has empty fields") << QString() << QStringList{"", "", "", ""};
    QTest::addRow("text without separators is all time")
        << QStringLiteral("8:00:00") << QStringList{"8:00:00", "", "", ""};
    QTest::addRow("a missing comment separator leaves the comment empty")
        << QStringLiteral("8:00:00>每天<校时") << QStringList{"8:00:00", "", "每天", "校时"};
    QTest::addRow("a missing attribute separator leaves the attribute empty")
        << QStringLiteral("8:00:00*c<校时") << QStringList{"8:00:00", "c", "", "校时"};
    QTest::addRow("a missing response separator leaves the response empty")
        << QStringLiteral("8:00:00*c>每天") << QStringList{"8:00:00", "c", "每天", ""};
}

void TableTest::splitsEntryByFirstSeparators() {
    QFETCH(QString, entry);
    QFETCH(QStringList, fields);
    const EntryFields f = splitEntry(entry);
    QCOMPARE((QStringList{f.time, f.comment, f.attribute, f.response}), fields);
    if (entry.contains(QLatin1Char('*')) && entry.contains(QLatin1Char('>')) &&
        entry.contains(QLatin1Char('<')))
        QCOMPARE(joinEntry(f), entry);
}

void TableTest::removesWholeEntriesOnly_data() {
    QTest::addColumn<QString>("tableText");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("remaining");
    QTest::addRow("the one entry goes")
        << QStringLiteral("|a|b|c") << QStringLiteral("b") << QStringLiteral("|a|c");
    QTest::addRow("every copy goes") << QStringLiteral("|b|a|b") << QStringLiteral("b")
                                     << QStringLiteral("|a");
    QTest::addRow("an entry that only begins with the text stays")
        << QStringLiteral("|8:00:00*x>每天<执行程序/bin/ab|8:00:00*x>每天<执行程序/bin/a")
        << QStringLiteral("8:00:00*x>每天<执行程序/bin/a")
        << QStringLiteral("|8:00:00*x>每天<执行程序/bin/ab");
    QTest::addRow("text before the first bar stays")
        << QStringLiteral("lead|a|b") << QStringLiteral("a") << QStringLiteral("lead|b");
    QTest::addRow("an unknown entry changes nothing")
        << QStringLiteral("|a|b") << QStringLiteral("z") << QStringLiteral("|a|b");
    QTest::addRow("the last entry leaves the empty table")
        << QStringLiteral("|a") << QStringLiteral("a") << QString();
}

void TableTest::removesWholeEntriesOnly() {
    QFETCH(QString, tableText);
    QFETCH(QString, entry);
    QFETCH(QString, remaining);
    QCOMPARE(removeEntry(tableText, entry), remaining);
}

void TableTest::classifiesResponses_data() {
    QTest::addColumn<QString>("response");
    QTest::addColumn<ResponseClass>("expected");
    QTest::addRow("static broadcast is broadcast-on")
        << QStringLiteral("播音开-静态/home/a/PlayListFile/x.PLF") << ResponseClass::BroadcastOn;
    QTest::addRow("dynamic broadcast is broadcast-on")
        << QStringLiteral("播音开-动态/home/a/x.PLF") << ResponseClass::BroadcastOn;
    QTest::addRow("broadcast off") << QStringLiteral("播音关") << ResponseClass::BroadcastOff;
    QTest::addRow("shutdown") << QStringLiteral("关机") << ResponseClass::Shutdown;
    QTest::addRow("restart is other") << QStringLiteral("重启") << ResponseClass::Other;
    QTest::addRow("a tone path is other") << QStringLiteral("/opt/q/timeup.mp3") << ResponseClass::Other;
    QTest::addRow("a keyword later in the text does not count")
        << QStringLiteral("执行程序/bin/关机") << ResponseClass::Other;
    QTest::addRow("an empty response is other") << QString() << ResponseClass::Other;
}

void TableTest::classifiesResponses() {
    QFETCH(QString, response);
    QFETCH(ResponseClass, expected);
    QCOMPARE(responseClass(response), expected);
}

QTEST_GUILESS_MAIN(TableTest)
#include "table_test.moc"
