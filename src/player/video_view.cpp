#include "player/video_view.h"

#include <QGuiApplication>
#include <QPainter>

namespace quel {

VideoView::VideoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(120);
    hide();
}

quintptr VideoView::windowForSink() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return 0;
    }
    // Only this view needs a window of its own; the player window's other widgets stay painted into
    // their top-level one.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_NativeWindow);
    return winId();
}

void VideoView::setDrawnBySink(bool drawn) {
    drawnBySink_ = drawn;
    frame_ = QImage();
    setAttribute(Qt::WA_PaintOnScreen, drawn);
    setAttribute(Qt::WA_NoSystemBackground, drawn);
    update();
}

QPaintEngine* VideoView::paintEngine() const {
    return drawnBySink_ ? nullptr : QWidget::paintEngine();
}

void VideoView::showFrame(const QImage& frame) {
    if (drawnBySink_) {
        return;
    }
    frame_ = frame;
    ++frames_;
    show();
    update();
}

void VideoView::showDrawn() {
    show();
}

void VideoView::clear() {
    frame_ = QImage();
    hide();
}

void VideoView::paintEvent(QPaintEvent*) {
    if (drawnBySink_) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame_.isNull()) {
        return;
    }
    const QSize size = frame_.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.drawImage(target, frame_);
}

bool VideoView::event(QEvent* event) {
    if (event->type() == QEvent::WinIdChange && drawnBySink_) {
        emit windowChanged(internalWinId());
    }
    return QWidget::event(event);
}

}  // namespace quel
