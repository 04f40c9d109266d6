#pragma once

#include <QStringList>
#include <QWidget>
#include <array>

#include "schedule/list_filter.h"

class QCheckBox;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quel {

class GridDelegate;

// The schedule list of the main window: the entries of the current table that pass the chosen list
// filter, the filter options and the grid switch.
class ScheduleList : public QWidget {
    Q_OBJECT
public:
    enum Column { NumberColumn, CommentColumn, AttributeColumn, TimeColumn, ResponseColumn };

    // Shows `sortedEntries`, which its owner keeps and changes; the list holds no copy of its own.
    explicit ScheduleList(const QStringList& sortedEntries, QWidget* parent = nullptr);

    // Rebuilds the rows from the entries under the current filter; nothing is selected afterwards.
    // The owner calls it whenever the entries changed.
    void refill();

    ListFilter filter() const { return filter_; }
    // Checks the filter's option and refills, as a click on the option does.
    void setFilter(ListFilter filter);

    // The entry text of the selected row, or empty.
    QString selectedEntryText() const { return selectedEntryText_; }
    // Selects the first shown row of this entry and gives the list the focus; false, with nothing
    // selected, when the filter hides it.
    bool selectEntry(const QString& entryText);

    bool gridLines() const;

    // Marks the rows of this entry as what rings next; the empty text marks none. The mark outlives a
    // refill, and the same entry again costs nothing.
    void markEntry(const QString& entryText);
    const QString& markedEntry() const { return marked_; }

    QTreeWidget* listView() const { return list_; }

signals:
    // The selected entry text changed.
    void selectionChanged();

private:
    void takeSelection();
    void setSelectedEntryText(const QString& text);
    void switchGrid();
    void showMark(QTreeWidgetItem* row) const;
    void showNeverRings(QTreeWidgetItem* row, const QString& why) const;

    QTreeWidget* list_;
    GridDelegate* grid_;
    QCheckBox* gridSwitch_;
    std::array<QRadioButton*, kListFilterCount> filterOptions_{};
    const QStringList& entries_;
    ListFilter filter_ = ListFilter::All;
    QString selectedEntryText_;
    QString marked_;
    bool refilling_ = false;
};

}  // namespace quel
