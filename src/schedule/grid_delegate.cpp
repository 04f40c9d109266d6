#include "schedule/grid_delegate.h"

#include <QPainter>

namespace quel {

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == middleElided_)
        option->textElideMode = Qt::ElideMiddle;
    if (index.column() == numbered_) {
        option->text = QString::number(index.row() + 1);
        option->features |= QStyleOptionViewItem::HasDisplay;
    }
}

QString GridDelegate::shownText(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initStyleOption(&option, index);
    return option.text;
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!gridLines_)
        return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    // Right and bottom edges only: neighbouring cells supply the others, so no line is drawn twice.
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

}  // namespace quel
