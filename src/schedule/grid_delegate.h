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
    bool gridLines() const { return gridLines_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool gridLines_ = false;
    int middleElided_ = -1;
};

}  // namespace quel
