#include "schedule/schedule_list.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "schedule/entry_grammar.h"
#include "schedule/grid_delegate.h"

namespace quel {

namespace {

// The row keeps its own entry text, so a selection names the entry exactly even when a hand-edited
// entry lacks a separator and the cells alone could not rebuild it.
constexpr int kEntryRole = Qt::UserRole;
constexpr int kOptionsPerRow = 7;
constexpr int kNumberWidth = 48;
constexpr int kCommentWidth = 140;
constexpr int kAttributeWidth = 110;
constexpr int kTimeWidth = 80;

qsizetype optionIndex(ListFilter filter) {
    for (qsizetype i = 0; i < qsizetype(kListFilterOptions.size()); ++i) {
        if (kListFilterOptions[i].filter == filter)
            return i;
    }
    return 0;
}

}  // namespace

ScheduleList::ScheduleList(const QStringList& sortedEntries, QWidget* parent)
    : QWidget(parent), entries_(sortedEntries) {
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("注释"), QStringLiteral("属性"),
                            QStringLiteral("时间"), QStringLiteral("响应方式")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setSortingEnabled(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setColumnWidth(NumberColumn, kNumberWidth);
    list_->setColumnWidth(CommentColumn, kCommentWidth);
    list_->setColumnWidth(AttributeColumn, kAttributeWidth);
    list_->setColumnWidth(TimeColumn, kTimeWidth);
    list_->header()->setStretchLastSection(true);
    grid_ = new GridDelegate(list_);
    grid_->setMiddleElidedColumn(ResponseColumn);
    list_->setItemDelegate(grid_);
    // Following the selection rather than only mouse clicks keeps the selected text on the highlighted
    // row when the operator moves it with the keyboard.
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &ScheduleList::takeSelection);

    auto* filters = new QGroupBox(this);
    filters->setObjectName(QStringLiteral("listFilterFrame"));
    auto* filterLayout = new QGridLayout(filters);
    for (qsizetype i = 0; i < qsizetype(kListFilterOptions.size()); ++i) {
        const ListFilterOption& option = kListFilterOptions[i];
        auto* button = new QRadioButton(option.caption, filters);
        button->setObjectName(QLatin1String(option.objectName));
        button->setChecked(option.filter == filter_);
        const ListFilter filter = option.filter;
        connect(button, &QRadioButton::clicked, this, [this, filter] { setFilter(filter); });
        filterLayout->addWidget(button, int(i / kOptionsPerRow), int(i % kOptionsPerRow));
        filterOptions_[i] = button;
    }

    gridSwitch_ = new QCheckBox(QStringLiteral("网格开关"), this);
    gridSwitch_->setObjectName(QStringLiteral("Check1"));
    connect(gridSwitch_, &QCheckBox::clicked, this, &ScheduleList::switchGrid);

    auto* controls = new QHBoxLayout;
    controls->addWidget(filters, 1);
    controls->addWidget(gridSwitch_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(controls);
}

void ScheduleList::refill() {
    refilling_ = true;
    list_->clear();
    QList<QTreeWidgetItem*> rows;
    int number = 1;
    for (const QString& entry : entries_) {
        const EntryFields f = splitEntry(entry);
        if (!passesFilter(filter_, f))
            continue;
        const QString comment = f.comment == grammar::kNoComment ? QString() : f.comment;
        auto* row = new QTreeWidgetItem(
            QStringList{QString::number(number++), comment, f.attribute, f.time, f.response});
        row->setData(NumberColumn, kEntryRole, entry);
        showNeverRings(row, whyNeverRings(entry));
        showMark(row);
        rows.append(row);
    }
    list_->addTopLevelItems(rows);
    refilling_ = false;
    setSelectedEntryText(QString());
}

void ScheduleList::setFilter(ListFilter filter) {
    filter_ = filter;
    QRadioButton* option = filterOptions_[optionIndex(filter)];
    if (!option->isChecked())
        option->setChecked(true);
    refill();
}

bool ScheduleList::selectEntry(const QString& entryText) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list_->topLevelItem(i);
        if (row->data(NumberColumn, kEntryRole).toString() != entryText)
            continue;
        list_->setCurrentItem(row);
        list_->scrollToItem(row);
        list_->setFocus();
        takeSelection();
        return true;
    }
    return false;
}

bool ScheduleList::gridLines() const {
    return grid_->gridLines();
}

void ScheduleList::markEntry(const QString& entryText) {
    if (entryText == marked_)
        return;
    marked_ = entryText;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        showMark(list_->topLevelItem(i));
}

void ScheduleList::showMark(QTreeWidgetItem* row) const {
    const bool marked = !marked_.isEmpty() && row->data(NumberColumn, kEntryRole).toString() == marked_;
    QFont font = list_->font();
    font.setBold(marked);
    for (int c = NumberColumn; c <= ResponseColumn; ++c)
        row->setFont(c, font);
}

void ScheduleList::showNeverRings(QTreeWidgetItem* row, const QString& why) const {
    // A file edited by hand may hold an entry the tick never fires; greyed with the reason, it is seen
    // before the bell fails to ring. Otherwise the tip gives the whole response, which the column may cut.
    const QBrush grey = list_->palette().brush(QPalette::Disabled, QPalette::Text);
    for (int c = NumberColumn; c <= ResponseColumn; ++c) {
        if (!why.isEmpty())
            row->setForeground(c, grey);
        row->setToolTip(c, why.isEmpty() && c == ResponseColumn ? row->text(c) : why);
    }
}

void ScheduleList::takeSelection() {
    if (refilling_)
        return;
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    setSelectedEntryText(selected.isEmpty() ? QString()
                                            : selected.first()->data(NumberColumn, kEntryRole).toString());
}

void ScheduleList::setSelectedEntryText(const QString& text) {
    if (text == selectedEntryText_)
        return;
    selectedEntryText_ = text;
    emit selectionChanged();
}

void ScheduleList::switchGrid() {
    // The switch inverts the grid rather than following its own check mark, as the list's design did.
    grid_->setGridLines(!grid_->gridLines());
    list_->viewport()->update();
}

}  // namespace quel
