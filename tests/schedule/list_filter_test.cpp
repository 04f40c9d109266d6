#include <QTest>

#include "schedule/entry_grammar.h"
#include "schedule/list_filter.h"

using namespace quel;

class ListFilterTest : public QObject {
    Q_OBJECT
private slots:
    void showsEntryUnderItsFiltersOnly_data();
    void showsEntryUnderItsFiltersOnly();
};

void ListFilterTest::showsEntryUnderItsFiltersOnly_data() {
    using F = ListFilter;
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QList<ListFilter>>("shownUnder");  // besides 全部
    const auto at = [](const QString& attribute, const QString& response) {
        return QStringLiteral("8:00:00*没有注释>") + attribute + QLatin1Char('<') + response;
    };
    QTest::addRow("every day") << at("每天", "校时") << QList<F>{F::EveryDay, F::Calibrate};
    QTest::addRow("a weekday") << at("星期三", "重启") << QList<F>{F::Weekday, F::Restart};
    QTest::addRow("a day of the month") << at("每月15日", "注销") << QList<F>{F::EveryMonth, F::Logoff};
    QTest::addRow("a day of the year") << at("每年9月1日", "关机") << QList<F>{F::EveryYear, F::Shutdown};
    QTest::addRow("one date") << at("2004年9月1日", "收音机开") << QList<F>{F::OneDate, F::Radio};
    QTest::addRow("radio off also under radio") << at("每天", "收音机关") << QList<F>{F::EveryDay, F::Radio};
    QTest::addRow("broadcast on under broadcast")
        << at("每天", "播音开-静态/p/a.PLF") << QList<F>{F::EveryDay, F::Broadcast};
    QTest::addRow("broadcast off under broadcast")
        << at("每天", "播音关") << QList<F>{F::EveryDay, F::Broadcast};
    QTest::addRow("run a program") << at("每天", "执行程序/usr/bin/true -x")
                                   << QList<F>{F::EveryDay, F::RunProgram};
    QTest::addRow("open a table") << at("每天", "打开表/t/a.DTT") << QList<F>{F::EveryDay, F::OpenTable};
    QTest::addRow("a tone only under all") << at("星期一", "/opt/q/timeup.mp3") << QList<F>{F::Weekday};
    QTest::addRow("spoken time only under all") << at("每月1日", "中文男声报时") << QList<F>{F::EveryMonth};
    QTest::addRow("weekday text longer than one character is no weekday")
        << at("星期一二", "中文女声报时") << QList<F>{};
    QTest::addRow("a two-digit year is no date") << at("04年9月1日", "中文女声报时") << QList<F>{};
    QTest::addRow("an empty entry only under all") << QString() << QList<F>{};
    QTest::addRow("an entry without response separator keeps its attribute")
        << QStringLiteral("8:00:00*x>每天") << QList<F>{F::EveryDay};
}

void ListFilterTest::showsEntryUnderItsFiltersOnly() {
    QFETCH(QString, entry);
    QFETCH(QList<ListFilter>, shownUnder);
    const EntryFields fields = splitEntry(entry);
    for (const ListFilterOption& option : kListFilterOptions) {
        const bool expected = option.filter == ListFilter::All || shownUnder.contains(option.filter);
        if (passesFilter(option.filter, fields) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 under %2: expected %3")
                                 .arg(entry, option.caption, expected ? "shown" : "hidden")));
    }
}

QTEST_GUILESS_MAIN(ListFilterTest)
#include "list_filter_test.moc"
