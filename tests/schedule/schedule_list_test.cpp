#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "schedule/entry_grammar.h"
#include "schedule/list_filter.h"
#include "schedule/schedule_list.h"

using namespace quel;

namespace {

const QString kDaily = QStringLiteral("8:00:00*没有注释>每天<校时");
const QString kWeekly = QStringLiteral("9:30:00*早操>星期一<播音开-静态/p/早操.PLF");
const QString kTone = QStringLiteral("10:00:00*下课>每天</opt/q/timeup.mp3");
const QString kOff = QStringLiteral("12:00:00*没有注释>每天<播音关");
const QString kDate = QStringLiteral("7:00:00*开学>2004年9月1日<关机");

QStringList columnTexts(const QTreeWidgetItem* row) {
    QStringList texts;
    for (int c = 0; c < row->columnCount(); ++c)
        texts << row->text(c);
    return texts;
}

// The entry text as the list's cells give it back: 注释 left empty stands for the placeholder.
QString rebuiltFromCells(const QTreeWidgetItem* row) {
    const QString comment = row->text(ScheduleList::CommentColumn);
    return row->text(ScheduleList::TimeColumn) + QLatin1Char('*') +
           (comment.isEmpty() ? grammar::kNoComment : comment) + QLatin1Char('>') +
           row->text(ScheduleList::AttributeColumn) + QLatin1Char('<') +
           row->text(ScheduleList::ResponseColumn);
}

}  // namespace

class ScheduleListTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsWithTheDesignedControls();
    void showsEachEntryAsOneNumberedRow();
    void filterRefillsAndRenumbers_data();
    void filterRefillsAndRenumbers();
    void clickSelectsTheRowsEntryText_data();
    void clickSelectsTheRowsEntryText();
    void keyboardMovesTheSelection();
    void refillAndFilterChangeClearTheSelection();
    void selectsAnEntryByItsText();
    void gridSwitchInvertsTheGridLines();
    void entriesThatCanNeverFireAreGreyedWithTheReason_data();
    void entriesThatCanNeverFireAreGreyedWithTheReason();

private:
    void click(int row);
    QTreeWidget* list() const { return panel_->findChild<QTreeWidget*>(QStringLiteral("ListView1")); }
    QRadioButton* option(const char* name) const {
        return panel_->findChild<QRadioButton*>(QLatin1String(name));
    }
    QStringList entries_;
    std::unique_ptr<ScheduleList> panel_;
    void showEntries(const QStringList& entries) {
        entries_ = entries;
        panel_->refill();
    }
};

void ScheduleListTest::init() {
    panel_ = std::make_unique<ScheduleList>(entries_);
    panel_->resize(700, 400);
    panel_->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
    showEntries({kDate, kWeekly, kDaily, kTone, kOff});
}

void ScheduleListTest::cleanup() {
    panel_.reset();
}

void ScheduleListTest::click(int row) {
    QTreeWidgetItem* item = list()->topLevelItem(row);
    QVERIFY(item);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
}

void ScheduleListTest::startsWithTheDesignedControls() {
    QVERIFY(list());
    const QTreeWidgetItem* header = list()->headerItem();
    QCOMPARE(columnTexts(header), (QStringList{"序号", "注释", "属性", "时间", "响应方式"}));
    QVERIFY(!list()->rootIsDecorated());
    for (const ListFilterOption& o : kListFilterOptions) {
        QRadioButton* button = option(o.objectName);
        QVERIFY2(button, o.objectName);
        QCOMPARE(button->text(), o.caption);
        QCOMPARE(button->isChecked(), o.filter == ListFilter::All);
    }
    // One group, so picking one option unchecks the others.
    QVERIFY(qobject_cast<QGroupBox*>(option("Option8")->parentWidget()));
    QCOMPARE(option("Option34")->parentWidget(), option("Option8")->parentWidget());
    auto* grid = panel_->findChild<QCheckBox*>(QStringLiteral("Check1"));
    QVERIFY(grid);
    QCOMPARE(grid->text(), QStringLiteral("网格开关"));
}

void ScheduleListTest::showsEachEntryAsOneNumberedRow() {
    QCOMPARE(list()->topLevelItemCount(), 5);
    QCOMPARE(columnTexts(list()->topLevelItem(0)),
             (QStringList{"1", "开学", "2004年9月1日", "7:00:00", "关机"}));
    // The placeholder comment shows as an empty cell.
    QCOMPARE(columnTexts(list()->topLevelItem(2)), (QStringList{"3", "", "每天", "8:00:00", "校时"}));
}

void ScheduleListTest::filterRefillsAndRenumbers_data() {
    QTest::addColumn<QString>("optionName");
    QTest::addColumn<ListFilter>("filter");
    QTest::addColumn<QStringList>("times");
    QTest::addRow("全部 shows every entry in table order")
        << "Option8" << ListFilter::All
        << QStringList{"7:00:00", "9:30:00", "8:00:00", "10:00:00", "12:00:00"};
    QTest::addRow("每天 shows the every-day entries")
        << "Option9" << ListFilter::EveryDay << QStringList{"8:00:00", "10:00:00", "12:00:00"};
    QTest::addRow("播音 shows broadcast on and off")
        << "Option16" << ListFilter::Broadcast << QStringList{"9:30:00", "12:00:00"};
    QTest::addRow("特定 shows the one-date entry")
        << "Option13" << ListFilter::OneDate << QStringList{"7:00:00"};
    QTest::addRow("注销 shows nothing") << "Option25" << ListFilter::Logoff << QStringList{};
}

void ScheduleListTest::filterRefillsAndRenumbers() {
    QFETCH(QString, optionName);
    QFETCH(ListFilter, filter);
    QFETCH(QStringList, times);
    option("Option25")->click();  // start from another filter, so the click really changes it
    option(qPrintable(optionName))->click();
    QCOMPARE(panel_->filter(), filter);
    QCOMPARE(list()->topLevelItemCount(), times.size());
    for (int i = 0; i < times.size(); ++i) {
        QCOMPARE(list()->topLevelItem(i)->text(ScheduleList::NumberColumn), QString::number(i + 1));
        QCOMPARE(list()->topLevelItem(i)->text(ScheduleList::TimeColumn), times[i]);
    }
}

void ScheduleListTest::clickSelectsTheRowsEntryText_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("row");
    QTest::addRow("an entry with a comment") << QStringList{kDate, kWeekly} << 1;
    QTest::addRow("an entry with the placeholder comment") << QStringList{kDate, kDaily} << 1;
    QTest::addRow("a tone entry") << QStringList{kTone} << 0;
    QTest::addRow("a hand-edited entry without comment separator")
        << QStringList{kDaily, QStringLiteral("9:00:00>每天<校时")} << 1;
    QTest::addRow("a hand-edited entry with an empty comment")
        << QStringList{QStringLiteral("9:00:00*>每天<校时")} << 0;
}

void ScheduleListTest::clickSelectsTheRowsEntryText() {
    QFETCH(QStringList, entries);
    QFETCH(int, row);
    showEntries(entries);
    QSignalSpy changed(panel_.get(), &ScheduleList::selectionChanged);
    click(row);
    QCOMPARE(panel_->selectedEntryText(), entries[row]);
    QCOMPARE(changed.count(), 1);
    // Where the cells hold the whole entry, they rebuild the same text the selection gives.
    const QTreeWidgetItem* item = list()->topLevelItem(row);
    if (splitEntry(entries[row]).comment != QString() && entries[row].contains(QLatin1Char('*')))
        QCOMPARE(rebuiltFromCells(item), entries[row]);
}

void ScheduleListTest::keyboardMovesTheSelection() {
    click(0);
    QTest::keyClick(list(), Qt::Key_Down);
    QCOMPARE(panel_->selectedEntryText(), kWeekly);
}

void ScheduleListTest::refillAndFilterChangeClearTheSelection() {
    click(1);
    QCOMPARE(panel_->selectedEntryText(), kWeekly);
    panel_->refill();
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(list()->selectedItems().isEmpty());

    click(1);
    option("Option16")->click();
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(list()->selectedItems().isEmpty());

    // A table without rows gives no selection even after a click on the empty list.
    showEntries({});
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(panel_->selectedEntryText(), QString());
}

void ScheduleListTest::selectsAnEntryByItsText() {
    QVERIFY(panel_->selectEntry(kTone));
    QCOMPARE(panel_->selectedEntryText(), kTone);
    QCOMPARE(list()->selectedItems().value(0), list()->topLevelItem(3));

    panel_->setFilter(ListFilter::Shutdown);
    QVERIFY(option("Option18")->isChecked());
    QVERIFY(!option("Option8")->isChecked());
    QVERIFY(!panel_->selectEntry(kTone));
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(list()->selectedItems().isEmpty());
}

void ScheduleListTest::gridSwitchInvertsTheGridLines() {
    auto* grid = panel_->findChild<QCheckBox*>(QStringLiteral("Check1"));
    const QImage plain = list()->viewport()->grab().toImage();
    QVERIFY(!panel_->gridLines());

    grid->click();
    QVERIFY(panel_->gridLines());
    QVERIFY(list()->viewport()->grab().toImage() != plain);

    grid->click();
    QVERIFY(!panel_->gridLines());
    QCOMPARE(list()->viewport()->grab().toImage(), plain);
}

void ScheduleListTest::entriesThatCanNeverFireAreGreyedWithTheReason_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("greyed");
    const QString longPath =
        QStringLiteral("/usr/share/quelbrook/toll/A/") + QString(200, u'x') + "/上课.wav";
    QTest::addRow("a well-formed entry") << kDaily << false;
    QTest::addRow("a long tone path keeps its whole text") << "8:00:00*c>每天<" + longPath << false;
    QTest::addRow("a full-width year") << QStringLiteral("7:00:00*c>２００４年9月1日<关机") << true;
    QTest::addRow("an hour with a leading zero") << QStringLiteral("08:00:00*c>每天<关机") << true;
    QTest::addRow("no attribute mark") << QStringLiteral("8:00:00*c<关机") << true;
}

void ScheduleListTest::entriesThatCanNeverFireAreGreyedWithTheReason() {
    QFETCH(QString, entry);
    QFETCH(bool, greyed);
    showEntries({entry});
    const QTreeWidgetItem* row = list()->topLevelItem(0);
    QVERIFY(row);
    const QString why = whyNeverRings(entry);
    QCOMPARE(!why.isEmpty(), greyed);
    const QColor normal = row->foreground(ScheduleList::NumberColumn).color();
    for (int c = ScheduleList::NumberColumn; c <= ScheduleList::ResponseColumn; ++c) {
        QCOMPARE(row->toolTip(c), greyed || c != ScheduleList::ResponseColumn ? why : row->text(c));
        QCOMPARE(row->foreground(c).color(), normal);
    }
    QCOMPARE(normal == list()->palette().color(QPalette::Disabled, QPalette::Text), greyed);
    // Deletion finds the entry by its text, so no cell may hold a shortened one.
    QCOMPARE(row->data(ScheduleList::NumberColumn, Qt::UserRole).toString(), entry);
    QCOMPARE(row->text(ScheduleList::ResponseColumn), splitEntry(entry).response);
}

QTEST_MAIN(ScheduleListTest)
#include "schedule_list_test.moc"
