#include "shell/elided_label.h"

#include <QPainter>
#include <QStyle>

namespace quel {

void ElidedLabel::setFullText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QSize ElidedLabel::sizeHint() const {
    return minimumSizeHint();
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().averageCharWidth() * 8 + m.left() + m.right(),
            fontMetrics().height() + m.top() + m.bottom()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
    style()->drawItemText(&painter, room, static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter), palette(),
                          isEnabled(), shown, foregroundRole());
}

}  // namespace quel
