#pragma once

#include <QLabel>

namespace quel {

// A one-line label that takes the room its layout gives it and no more: a long text is shortened in
// the middle (the start and the end usually say the most), and the whole text is its tooltip. Its
// size hint never follows the text, so a long text cannot widen the window.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // Sets the text and the tooltip.
    void setFullText(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quel
