#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "schedule/list_filter.h"
#include "schedule/table_document.h"

class QCheckBox;
class QRadioButton;
class QTreeView;

namespace quel {

class GridDelegate;
class ListFilterModel;

// The schedule list of the main window: a view of the table document's entries that pass the chosen
// list filter, the filter options and the grid switch.
class ScheduleList : public QWidget {
    Q_OBJECT
public:
    using enum TableDocument::Column;

    // Shows the rows of `table`; every change of the table leaves nothing selected.
    explicit ScheduleList(TableDocument& table, QWidget* parent = nullptr);

    ListFilter filter() const;
    // Checks the filter's option and shows its rows, as a click on the option does; nothing is
    // selected afterwards.
    void setFilter(ListFilter filter);

    // The entry text of the selected row, or empty.
    QString selectedEntryText() const { return selectedEntryText_; }
    // Selects the first shown row of this entry and gives the list the focus; false, with nothing
    // selected, when the filter hides it.
    bool selectEntry(const QString& entryText);

    bool gridLines() const;

    // Marks the rows of this entry as what rings next; the empty text marks none. The mark outlives
    // every change of the table and of the filter, and the same entry again costs nothing.
    void markEntry(const QString& entryText);
    const QString& markedEntry() const;

    QTreeView* listView() const { return list_; }

signals:
    // The selected entry text changed.
    void selectionChanged();

private:
    void startOver();
    void takeSelection();
    void setSelectedEntryText(const QString& text);
    void switchGrid();

    QTreeView* list_;
    ListFilterModel* rows_;
    GridDelegate* grid_;
    QCheckBox* gridSwitch_;
    std::array<QRadioButton*, kListFilterCount> filterOptions_{};
    QString selectedEntryText_;
    bool startingOver_ = false;
};

}  // namespace quel
