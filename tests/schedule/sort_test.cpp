#include <QRandomGenerator>
#include <QTest>

#include "schedule/entry_sort.h"

using namespace quel;

namespace {

QString entry(const QString& time, const QString& attribute,
              const QString& comment = QStringLiteral("没有注释")) {
    return time + QLatin1Char('*') + comment + QLatin1Char('>') + attribute + QStringLiteral("<校时");
}

// The table's original order, written out as the nested loops it was: adjacent entries swap only when
// the first is strictly greater, which is what makes it stable.
void bubbleSort(QStringList& entries) {
    QList<SortKey> keys;
    for (const QString& e : entries)
        keys << sortKeyOf(e);
    for (qsizetype i = entries.size() - 1; i >= 1; --i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (sortsBefore(keys[j + 1], keys[j])) {
                entries.swapItemsAt(j, j + 1);
                keys.swapItemsAt(j, j + 1);
            }
        }
    }
}

}  // namespace

class SortTest : public QObject {
    Q_OBJECT
private slots:
    void readsLeadingNumbers_data();
    void readsLeadingNumbers();
    void readsKeys_data();
    void readsKeys();
    void sorts_data();
    void sorts();
    void agreesWithBubbleSortOnRandomTables();
};

void SortTest::readsLeadingNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addRow("two digits") << QStringLiteral("13") << 13;
    QTest::addRow("a leading zero") << QStringLiteral("05") << 5;
    QTest::addRow("digits stop at a colon") << QStringLiteral("8:") << 8;
    QTest::addRow("leading blanks are skipped") << QStringLiteral(" 7") << 7;
    QTest::addRow("a minus sign counts") << QStringLiteral("-5") << -5;
    QTest::addRow("a letter first reads as zero") << QStringLiteral("a5") << 0;
    QTest::addRow("a full-width digit is no digit") << QStringLiteral("８") << 0;
    QTest::addRow("an empty text reads as zero") << QString() << 0;
    QTest::addRow("a sign alone reads as zero") << QStringLiteral("+") << 0;
}

void SortTest::readsLeadingNumbers() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(leadingNumber(text), value);
}

void SortTest::readsKeys_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QList<int>>("hms");
    QTest::addRow("a one-digit hour")
        << entry("8:05:09", "每天") << QStringLiteral("每天") << QList<int>{8, 5, 9};
    QTest::addRow("a two-digit hour")
        << entry("13:30:45", "星期三") << QStringLiteral("星期") << QList<int>{13, 30, 45};
    QTest::addRow("only two characters of a date count")
        << entry("0:00:01", "2004年9月1日") << QStringLiteral("20") << QList<int>{0, 0, 1};
    QTest::addRow("only two characters of a three-digit hour count")
        << entry("123:00:07", "每天") << QStringLiteral("每天") << QList<int>{12, 0, 7};
    QTest::addRow("an entry without comment separator reads its time")
        << QStringLiteral("9:15:30>每天<校时") << QStringLiteral("每天") << QList<int>{9, 15, 30};
    QTest::addRow("a time too short for minutes reads them as zero")
        << QStringLiteral("5*x>每天<校时") << QStringLiteral("每天") << QList<int>{5, 0, 0};
    QTest::addRow("an empty entry has the lowest key") << QString() << QString() << QList<int>{0, 0, 0};
    QTest::addRow("letters read as zero")
        << entry("ab:cd:ef", "每月1日") << QStringLiteral("每月") << QList<int>{0, 0, 0};
}

void SortTest::readsKeys() {
    QFETCH(QString, entry);
    QFETCH(QString, head);
    QFETCH(QList<int>, hms);
    const SortKey key = sortKeyOf(entry);
    QCOMPARE(key.attributeHead, head);
    QCOMPARE((QList<int>{key.hour, key.minute, key.second}), hms);
}

void SortTest::sorts_data() {
    QTest::addColumn<QStringList>("fileOrder");
    QTest::addColumn<QStringList>("sorted");
    const QString monthly = entry("9:00:00", "每月1日"), weekday = entry("10:00:00", "星期一"),
                  daily = entry("8:00:00", "每天");
    QTest::addRow("weekdays come before every day, every day before monthly")
        << QStringList{monthly, weekday, daily} << QStringList{weekday, daily, monthly};
    QTest::addRow("hours compare as numbers, not as text")
        << QStringList{entry("10:00:00", "每天"), entry("8:00:00", "每天")}
        << QStringList{entry("8:00:00", "每天"), entry("10:00:00", "每天")};
    QTest::addRow("minutes then seconds break ties")
        << QStringList{entry("8:01:00", "每天"), entry("8:00:59", "每天"), entry("8:00:30", "每天")}
        << QStringList{entry("8:00:30", "每天"), entry("8:00:59", "每天"), entry("8:01:00", "每天")};
    const QString monday = entry("7:30:00", "星期一", "a"), friday = entry("7:30:00", "星期五", "b");
    QTest::addRow("equal keys keep their file order")
        << QStringList{friday, monday} << QStringList{friday, monday};
    QTest::addRow("different weekdays interleave by time")
        << QStringList{entry("9:00:00", "星期一"), entry("8:00:00", "星期五")}
        << QStringList{entry("8:00:00", "星期五"), entry("9:00:00", "星期一")};
    QTest::addRow("a date of 2004 comes before every weekday")
        << QStringList{entry("0:00:00", "星期日"), entry("23:59:59", "2004年9月1日")}
        << QStringList{entry("23:59:59", "2004年9月1日"), entry("0:00:00", "星期日")};
    QTest::addRow("a date of 1999 comes before one of 2004 whatever the time")
        << QStringList{entry("0:00:00", "2004年9月1日"), entry("23:00:00", "1999年1月1日")}
        << QStringList{entry("23:00:00", "1999年1月1日"), entry("0:00:00", "2004年9月1日")};
    QTest::addRow("the recurrence groups run date, weekday, every day, yearly, monthly")
        << QStringList{entry("1:00:00", "每月5日"), entry("1:00:00", "每年9月1日"), entry("1:00:00", "每天"),
                       entry("1:00:00", "星期二"), entry("1:00:00", "2004年1月1日")}
        << QStringList{entry("1:00:00", "2004年1月1日"), entry("1:00:00", "星期二"), entry("1:00:00", "每天"),
                       entry("1:00:00", "每年9月1日"), entry("1:00:00", "每月5日")};
    QTest::addRow("an entry without comment separator sorts like its whole twin")
        << QStringList{entry("9:00:00", "每天"), QStringLiteral("8:00:00>每天<校时")}
        << QStringList{QStringLiteral("8:00:00>每天<校时"), entry("9:00:00", "每天")};
    QTest::addRow("empty and separator-less entries sort first without harm")
        << QStringList{entry("8:00:00", "每天"), QStringLiteral("junk"), QString()}
        << QStringList{QStringLiteral("junk"), QString(), entry("8:00:00", "每天")};
}

void SortTest::sorts() {
    QFETCH(QStringList, fileOrder);
    QFETCH(QStringList, sorted);
    sortEntries(fileOrder);
    QCOMPARE(fileOrder, sorted);
}

void SortTest::agreesWithBubbleSortOnRandomTables() {
    // Few distinct values so that equal keys are common and stability is really tested; ill-formed
    // entries so that their keys take part too.
    const QStringList attributes{"每天",       "星期一",       "星期五",       "每月1日", "每月15日",
                                 "每年9月1日", "2004年9月1日", "1999年1月1日", "",        "x"};
    const QStringList odd{"", "junk", "8:00:00>每天<校时", "7*", "*>星期<", "12:3:4*c>每月<r"};
    QRandomGenerator random(20040901);
    for (int table = 0; table < 400; ++table) {
        const int n = int(random.bounded(130));
        QStringList entries;
        for (int i = 0; i < n; ++i) {
            if (random.bounded(10) == 0) {
                entries << odd[random.bounded(odd.size())];
                continue;
            }
            const QString time = QStringLiteral("%1:%2:%3")
                                     .arg(random.bounded(3) + 8)
                                     .arg(random.bounded(2) * 30, 2, 10, QLatin1Char('0'))
                                     .arg(random.bounded(2), 2, 10, QLatin1Char('0'));
            entries << entry(time, attributes[random.bounded(attributes.size())], QString::number(i));
        }
        QStringList expected = entries;
        bubbleSort(expected);
        sortEntries(entries);
        QCOMPARE(entries, expected);
    }
}

QTEST_GUILESS_MAIN(SortTest)
#include "sort_test.moc"
