#pragma once

#include <QStyledItemDelegate>

namespace quel {

// A tree view draws no cell borders of its own; this draws them when the grid is switched on.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setGridLines(bool on) { gridLines_ = on; }
    // Cells of this column that do not fit lose their middle rather than their end: a path keeps its
    // file name in sight. The cell's text itself stays whole.
    void setMiddleElidedColumn(int column) { middleElided_ = column; }
    // Cells of this column show their row's place in the view, counted from 1. The place belongs to the
    // view, not to the row's data, which stays the same while rows come and go above it.
    void setNumberedColumn(int column) { numbered_ = column; }
    bool gridLines() const { return gridLines_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The text the cell shows.
    QString shownText(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool gridLines_ = false;
    int middleElided_ = -1;
    int numbered_ = -1;
};

}  // namespace quel
