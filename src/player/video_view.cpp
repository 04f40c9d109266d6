#include "player/video_view.h"

#include <QPainter>

namespace quel {

VideoView::VideoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(120);
    hide();
}

void VideoView::showFrame(const QImage& frame) {
    frame_ = frame;
    ++frames_;
    show();
    update();
}

void VideoView::clear() {
    frame_ = QImage();
    hide();
}

void VideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame_.isNull()) {
        return;
    }
    const QSize size = frame_.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.drawImage(target, frame_);
}

}  // namespace quel
