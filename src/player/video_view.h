#pragma once

#include <QImage>
#include <QWidget>

namespace quel {

// The picture of a video track, scaled into the widget with its proportions kept: painted here from
// images, or, on an X11 display, drawn by the video sink itself into the view's own native window.
class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    // On an X11 display, the view's own native window for a video sink to draw into; 0 elsewhere
    // (Wayland, offscreen), where only images can show.
    quintptr windowForSink();
    // The sink draws into windowForSink() from now on, and Qt paints nothing there, so the picture is
    // never covered.
    void setDrawnBySink(bool drawn);
    bool drawnBySink() const { return drawnBySink_; }
    void showFrame(const QImage& frame);
    // The sink began to draw a track's picture: the view makes room for it.
    void showDrawn();
    // Shows nothing again: the track ended or has no picture.
    void clear();
    int framesShown() const { return frames_; }
    QPaintEngine* paintEngine() const override;

signals:
    // While the sink draws: the view's native window was made anew (`window`) or is going (0). The
    // sink follows changes of its size by itself.
    void windowChanged(quintptr window);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    int frames_ = 0;
    bool drawnBySink_ = false;
};

}  // namespace quel
