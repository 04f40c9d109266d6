#pragma once

#include <QImage>
#include <QWidget>

namespace quel {

// The picture of a video track, scaled into the widget with its proportions kept.
class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    void showFrame(const QImage& frame);
    // Shows nothing again: the track ended or has no picture.
    void clear();
    int framesShown() const { return frames_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    int frames_ = 0;
};

}  // namespace quel
