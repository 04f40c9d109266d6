#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quel {

// The information windows stand centred across the top edge of the screen, where they cover the
// least of the main window's schedule list.
QPoint topCentre(const QSize& window, const QRect& screen);
QPoint centre(const QSize& window, const QRect& screen);

void placeTopCentre(QWidget* window);
void placeCentre(QWidget* window);

}  // namespace quel
