#pragma once

#include <QStyledItemDelegate>

namespace quel {

// A tree view draws no cell borders of its own; this draws them when the grid is switched on.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setGridLines(bool on) { gridLines_ = on; }
    bool gridLines() const { return gridLines_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    bool gridLines_ = false;
};

}  // namespace quel
