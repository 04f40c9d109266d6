#include "schedule/list_filter_model.h"

#include <QFont>

#include "schedule/entry_grammar.h"
#include "schedule/table_document.h"

namespace quel {

void ListFilterModel::setFilter(ListFilter filter) {
    if (filter == filter_)
        return;
    filter_ = filter;
    invalidateRowsFilter();
}

void ListFilterModel::markEntry(const QString& entryText) {
    if (entryText == marked_)
        return;
    const QString before = marked_;
    marked_ = entryText;
    showChanged(before, Qt::FontRole);
    showChanged(marked_, Qt::FontRole);
}

QModelIndex ListFilterModel::firstRowOf(const QString& text) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (entryText(row) == text)
            return index(row, 0);
    }
    return {};
}

QVariant ListFilterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
        case Qt::FontRole:
            if (!marked_.isEmpty() && entryText(index.row()) == marked_) {
                // Only the weight is set, so the rest comes from the view's own font.
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ForegroundRole:
            if (!QSortFilterProxyModel::data(index, TableDocument::NeverRingsRole).toString().isEmpty())
                return neverRings_;
            return {};
        default:
            break;
    }
    return QSortFilterProxyModel::data(index, role);
}

bool ListFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    // 全部 needs no fields: a long table then shows without splitting every entry.
    if (filter_ == ListFilter::All)
        return true;
    const QModelIndex cell = sourceModel()->index(sourceRow, 0, sourceParent);
    return passesFilter(filter_, splitEntry(cell.data(TableDocument::EntryTextRole).toString()));
}

QString ListFilterModel::entryText(int row) const {
    return QSortFilterProxyModel::data(index(row, 0), TableDocument::EntryTextRole).toString();
}

void ListFilterModel::showChanged(const QString& text, int role) {
    if (text.isEmpty())
        return;
    const int last = columnCount() - 1;
    for (int row = 0; row < rowCount(); ++row) {
        if (entryText(row) == text)
            emit dataChanged(index(row, 0), index(row, last), {role});
    }
}

}  // namespace quel
