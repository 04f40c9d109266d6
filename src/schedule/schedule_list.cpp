#include "schedule/schedule_list.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "schedule/grid_delegate.h"
#include "schedule/list_filter_model.h"

namespace quel {

namespace {

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

ScheduleList::ScheduleList(TableDocument& table, QWidget* parent) : QWidget(parent) {
    list_ = new QTreeView(this);
    rows_ = new ListFilterModel(this);
    rows_->setSourceModel(&table);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setSortingEnabled(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setModel(rows_);
    // The widths are set once the view has its columns; the model keeps its five through every load.
    list_->setColumnWidth(NumberColumn, kNumberWidth);
    list_->setColumnWidth(CommentColumn, kCommentWidth);
    list_->setColumnWidth(AttributeColumn, kAttributeWidth);
    list_->setColumnWidth(TimeColumn, kTimeWidth);
    list_->header()->setStretchLastSection(true);
    rows_->setNeverRingsBrush(list_->palette().brush(QPalette::Disabled, QPalette::Text));
    grid_ = new GridDelegate(list_);
    grid_->setMiddleElidedColumn(ResponseColumn);
    grid_->setNumberedColumn(NumberColumn);
    list_->setItemDelegate(grid_);
    // Following the selection rather than only mouse clicks keeps the selected text on the highlighted
    // row when the operator moves it with the keyboard.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ScheduleList::takeSelection);
    connect(&table, &TableDocument::changed, this, &ScheduleList::startOver);

    auto* filters = new QGroupBox(this);
    filters->setObjectName(QStringLiteral("listFilterFrame"));
    auto* filterLayout = new QGridLayout(filters);
    for (qsizetype i = 0; i < qsizetype(kListFilterOptions.size()); ++i) {
        const ListFilterOption& option = kListFilterOptions[i];
        auto* button = new QRadioButton(option.caption, filters);
        button->setObjectName(QLatin1String(option.objectName));
        button->setChecked(option.filter == rows_->filter());
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

ListFilter ScheduleList::filter() const {
    return rows_->filter();
}

void ScheduleList::setFilter(ListFilter filter) {
    QRadioButton* option = filterOptions_[optionIndex(filter)];
    if (!option->isChecked())
        option->setChecked(true);
    startingOver_ = true;
    rows_->setFilter(filter);
    startingOver_ = false;
    startOver();
}

bool ScheduleList::selectEntry(const QString& entryText) {
    const QModelIndex row = rows_->firstRowOf(entryText);
    if (!row.isValid())
        return false;
    list_->setCurrentIndex(row);
    list_->scrollTo(row);
    list_->setFocus();
    takeSelection();
    return true;
}

bool ScheduleList::gridLines() const {
    return grid_->gridLines();
}

void ScheduleList::markEntry(const QString& entryText) {
    rows_->markEntry(entryText);
}

const QString& ScheduleList::markedEntry() const {
    return rows_->markedEntry();
}

// The rows were replaced or filtered anew: like a list filled afresh, it has no selection and no current
// row, so the arrow keys start again from the top.
void ScheduleList::startOver() {
    startingOver_ = true;
    list_->selectionModel()->clear();
    startingOver_ = false;
    setSelectedEntryText(QString());
}

void ScheduleList::takeSelection() {
    if (startingOver_)
        return;
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    setSelectedEntryText(selected.isEmpty() ? QString()
                                            : selected.first().data(TableDocument::EntryTextRole).toString());
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
