#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "fakes/fake_platform.h"
#include "schedule/entry_grammar.h"
#include "schedule/grid_delegate.h"
#include "schedule/list_filter.h"
#include "schedule/schedule_list.h"
#include "schedule/table.h"
#include "schedule/table_document.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

const QString kDaily = QStringLiteral("8:00:00*没有注释>每天<校时");
const QString kWeekly = QStringLiteral("9:30:00*早操>星期一<播音开-静态/p/早操.PLF");
const QString kTone = QStringLiteral("10:00:00*下课>每天</opt/q/timeup.mp3");
const QString kOff = QStringLiteral("12:00:00*没有注释>每天<播音关");
const QString kDate = QStringLiteral("7:00:00*开学>2004年9月1日<关机");

// The rows belong to the panel, which holds the view.
QTreeView* listOf(const QModelIndex& row) {
    return row.model()->parent()->findChild<QTreeView*>(QStringLiteral("ListView1"));
}

// What the cell shows, or the data of another role.
QString text(const QModelIndex& row, int column, int role = Qt::DisplayRole) {
    const QModelIndex cell = row.siblingAtColumn(column);
    if (role != Qt::DisplayRole)
        return cell.data(role).toString();
    const auto* delegate = dynamic_cast<const GridDelegate*>(listOf(row)->itemDelegateForIndex(cell));
    return delegate->shownText(cell);
}

QStringList columnTexts(const QModelIndex& row) {
    QStringList texts;
    for (int c = 0; c < row.model()->columnCount(); ++c)
        texts << text(row, c);
    return texts;
}

QStringList headerTexts(const QAbstractItemModel* model) {
    QStringList texts;
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->headerData(c, Qt::Horizontal).toString();
    return texts;
}

// The entry text as the list's cells give it back: 注释 left empty stands for the placeholder.
QString rebuiltFromCells(const QModelIndex& row) {
    const QString comment = text(row, ScheduleList::CommentColumn);
    return text(row, ScheduleList::TimeColumn) + QLatin1Char('*') +
           (comment.isEmpty() ? grammar::kNoComment : comment) + QLatin1Char('>') +
           text(row, ScheduleList::AttributeColumn) + QLatin1Char('<') +
           text(row, ScheduleList::ResponseColumn);
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
    void everyChangeOfTheTableClearsTheSelection_data();
    void everyChangeOfTheTableClearsTheSelection();
    void editsRenumberAndKeepTheMark_data();
    void editsRenumberAndKeepTheMark();
    void aLoadKeepsTheColumnWidths();
    void selectsAnEntryByItsText();
    void gridSwitchInvertsTheGridLines();
    void entriesThatCanNeverFireAreGreyedWithTheReason_data();
    void entriesThatCanNeverFireAreGreyedWithTheReason();

private:
    void click(int row);
    QTreeView* list() const { return panel_->findChild<QTreeView*>(QStringLiteral("ListView1")); }
    int rowCount() const { return list()->model()->rowCount(); }
    QModelIndex row(int r) const { return list()->model()->index(r, 0); }
    QModelIndexList selectedRows() const { return list()->selectionModel()->selectedRows(); }
    QRadioButton* option(const char* name) const {
        return panel_->findChild<QRadioButton*>(QLatin1String(name));
    }
    // The table file holds `entries` in this order, which is also their sorted order.
    void showEntries(const QStringList& entries) {
        QVERIFY(files_.write(path_, *tableFileBytes(tableTextOf(entries))));
        table_->load(path_);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    fakes::FakeFiles files_;
    std::unique_ptr<TableDocument> table_;
    std::unique_ptr<QAbstractItemModelTester> tableTester_;
    std::unique_ptr<QAbstractItemModelTester> rowsTester_;
    std::unique_ptr<ScheduleList> panel_;
};

void ScheduleListTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath(QStringLiteral("a.DTT"));
    table_ = std::make_unique<TableDocument>(files_);
    panel_ = std::make_unique<ScheduleList>(*table_);
    tableTester_ = std::make_unique<QAbstractItemModelTester>(table_.get());
    rowsTester_ = std::make_unique<QAbstractItemModelTester>(list()->model());
    panel_->resize(700, 400);
    panel_->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
    showEntries({kDate, kWeekly, kDaily, kTone, kOff});
}

void ScheduleListTest::cleanup() {
    rowsTester_.reset();
    tableTester_.reset();
    panel_.reset();
    table_.reset();
}

void ScheduleListTest::click(int r) {
    QVERIFY(row(r).isValid());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(row(r)).center());
}

void ScheduleListTest::startsWithTheDesignedControls() {
    QVERIFY(list());
    QCOMPARE(headerTexts(list()->model()), (QStringList{"序号", "注释", "属性", "时间", "响应方式"}));
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
    QCOMPARE(rowCount(), 5);
    QCOMPARE(columnTexts(row(0)), (QStringList{"1", "开学", "2004年9月1日", "7:00:00", "关机"}));
    // The placeholder comment shows as an empty cell.
    QCOMPARE(columnTexts(row(2)), (QStringList{"3", "", "每天", "8:00:00", "校时"}));
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
    QCOMPARE(rowCount(), times.size());
    for (int i = 0; i < times.size(); ++i) {
        QCOMPARE(text(row(i), ScheduleList::NumberColumn), QString::number(i + 1));
        QCOMPARE(text(row(i), ScheduleList::TimeColumn), times[i]);
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
    if (splitEntry(entries[row]).comment != QString() && entries[row].contains(QLatin1Char('*')))
        QCOMPARE(rebuiltFromCells(this->row(row)), entries[row]);
}

void ScheduleListTest::keyboardMovesTheSelection() {
    click(0);
    QTest::keyClick(list(), Qt::Key_Down);
    QCOMPARE(panel_->selectedEntryText(), kWeekly);
}

void ScheduleListTest::refillAndFilterChangeClearTheSelection() {
    click(1);
    QCOMPARE(panel_->selectedEntryText(), kWeekly);
    table_->load(path_);
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(selectedRows().isEmpty());

    click(1);
    option("Option16")->click();
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(selectedRows().isEmpty());

    // A table without rows gives no selection even after a click on the empty list.
    showEntries({});
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(panel_->selectedEntryText(), QString());
}

// The current row goes too, so the arrow keys start again from the top as in a list filled afresh.
void ScheduleListTest::everyChangeOfTheTableClearsTheSelection_data() {
    QTest::addColumn<QString>("change");
    QTest::addRow("a load") << "load";
    QTest::addRow("an entry added after the selected one") << "add";
    QTest::addRow("another entry removed") << "remove";
    QTest::addRow("the table made the default") << "default";
}

void ScheduleListTest::everyChangeOfTheTableClearsTheSelection() {
    QFETCH(QString, change);
    click(1);
    QSignalSpy changed(panel_.get(), &ScheduleList::selectionChanged);
    if (change == QStringLiteral("load"))
        table_->load(path_);
    else if (change == QStringLiteral("add"))
        QVERIFY(table_->add(QStringLiteral("23:00:00*晚>每天<校时")));
    else if (change == QStringLiteral("remove"))
        QVERIFY(table_->remove(kOff));
    else
        QVERIFY(table_->makeDefault(dir_->filePath(QStringLiteral("DefaultDTT.txt"))));
    QCOMPARE(panel_->selectedEntryText(), QString());
    QCOMPARE(changed.count(), 1);
    QVERIFY(selectedRows().isEmpty());
    QVERIFY(!list()->currentIndex().isValid());
}

// An edit announces only the rows that came or went; the numbers of the rows below it and the mark of
// the next entry must still follow.
void ScheduleListTest::editsRenumberAndKeepTheMark_data() {
    QTest::addColumn<ListFilter>("filter");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QStringList>("times");
    const QString early = QStringLiteral("9:00:00*课间>每天<校时");
    QTest::addRow("全部, one added above the mark")
        << ListFilter::All << "+" + early
        << QStringList{"7:00:00", "9:30:00", "8:00:00", "9:00:00", "10:00:00", "12:00:00"};
    QTest::addRow("每天, one added above the mark")
        << ListFilter::EveryDay << "+" + early << QStringList{"8:00:00", "9:00:00", "10:00:00", "12:00:00"};
    QTest::addRow("全部, one removed above the mark")
        << ListFilter::All << "-" + kDaily << QStringList{"7:00:00", "9:30:00", "10:00:00", "12:00:00"};
    QTest::addRow("播音, one added the filter hides")
        << ListFilter::Broadcast << "+" + early << QStringList{"9:30:00", "12:00:00"};
}

void ScheduleListTest::editsRenumberAndKeepTheMark() {
    QFETCH(ListFilter, filter);
    QFETCH(QString, edit);
    QFETCH(QStringList, times);
    panel_->setFilter(filter);
    panel_->markEntry(kTone);
    const QString entry = edit.mid(1);
    QVERIFY(edit.startsWith(QLatin1Char('+')) ? table_->add(entry) : table_->remove(entry));
    QCOMPARE(rowCount(), times.size());
    for (int i = 0; i < times.size(); ++i) {
        QCOMPARE(text(row(i), ScheduleList::NumberColumn), QString::number(i + 1));
        QCOMPARE(text(row(i), ScheduleList::TimeColumn), times[i]);
        const bool marked = text(row(i), ScheduleList::NumberColumn, TableDocument::EntryTextRole) == kTone;
        for (int c = ScheduleList::NumberColumn; c <= ScheduleList::ResponseColumn; ++c)
            QCOMPARE(row(i).siblingAtColumn(c).data(Qt::FontRole).value<QFont>().bold(), marked);
    }
    // Bold on the screen too: the mark reaches the view's own font.
    const QModelIndex tone = panel_->selectEntry(kTone) ? list()->currentIndex() : QModelIndex();
    if (tone.isValid()) {
        const QFont shown = tone.data(Qt::FontRole).value<QFont>().resolve(list()->font());
        QVERIFY(shown.bold());
        QCOMPARE(shown.family(), list()->font().family());
        QCOMPARE(shown.pointSizeF(), list()->font().pointSizeF());
    }
}

void ScheduleListTest::aLoadKeepsTheColumnWidths() {
    const QHeaderView* header = list()->header();
    const QList<int> before{header->sectionSize(0), header->sectionSize(1), header->sectionSize(2),
                            header->sectionSize(3)};
    QCOMPARE(before, (QList<int>{48, 140, 110, 80}));
    showEntries({kTone});
    showEntries({});
    QCOMPARE((QList<int>{header->sectionSize(0), header->sectionSize(1), header->sectionSize(2),
                         header->sectionSize(3)}),
             before);
    QVERIFY(header->stretchLastSection());
}

void ScheduleListTest::selectsAnEntryByItsText() {
    QVERIFY(panel_->selectEntry(kTone));
    QCOMPARE(panel_->selectedEntryText(), kTone);
    QCOMPARE(selectedRows().value(0), row(3));

    panel_->setFilter(ListFilter::Shutdown);
    QVERIFY(option("Option18")->isChecked());
    QVERIFY(!option("Option8")->isChecked());
    QVERIFY(!panel_->selectEntry(kTone));
    QCOMPARE(panel_->selectedEntryText(), QString());
    QVERIFY(selectedRows().isEmpty());
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
    const QModelIndex first = row(0);
    QVERIFY(first.isValid());
    const QString why = whyNeverRings(entry);
    QCOMPARE(!why.isEmpty(), greyed);
    const QColor normal = first.data(Qt::ForegroundRole).value<QBrush>().color();
    for (int c = ScheduleList::NumberColumn; c <= ScheduleList::ResponseColumn; ++c) {
        QCOMPARE(text(first, c, Qt::ToolTipRole),
                 greyed || c != ScheduleList::ResponseColumn ? why : text(first, c));
        QCOMPARE(first.siblingAtColumn(c).data(Qt::ForegroundRole).value<QBrush>().color(), normal);
    }
    QCOMPARE(normal == list()->palette().color(QPalette::Disabled, QPalette::Text), greyed);
    // Deletion finds the entry by its text, so no cell may hold a shortened one.
    QCOMPARE(text(first, ScheduleList::NumberColumn, TableDocument::EntryTextRole), entry);
    QCOMPARE(text(first, ScheduleList::ResponseColumn), splitEntry(entry).response);
}

QTEST_MAIN(ScheduleListTest)
#include "schedule_list_test.moc"
