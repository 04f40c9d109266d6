#pragma once

#include <QBrush>
#include <QSortFilterProxyModel>

#include "schedule/list_filter.h"

namespace quel {

// The rows of the schedule list over the table document: the entries that pass the list filter, the
// entry that rings next in bold and the entries that can never ring in grey. The look belongs to the list,
// not to the table, so the document stays free of it.
class ListFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    ListFilter filter() const { return filter_; }
    void setFilter(ListFilter filter);

    // The rows of this entry show as what rings next; the empty text marks none.
    const QString& markedEntry() const { return marked_; }
    void markEntry(const QString& entryText);

    // The colour of entries that can never ring: the view's own disabled text.
    void setNeverRingsBrush(const QBrush& brush) { neverRings_ = brush; }

    // The first shown row of this entry, or an invalid index.
    QModelIndex firstRowOf(const QString& entryText) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString entryText(int row) const;
    void showChanged(const QString& entryText, int role);

    ListFilter filter_ = ListFilter::All;
    QString marked_;
    QBrush neverRings_;
};

}  // namespace quel
