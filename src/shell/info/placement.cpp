#include "shell/info/placement.h"

#include <QScreen>
#include <QWidget>

namespace quel {

QPoint topCentre(const QSize& window, const QRect& screen) {
    return {screen.x() + (screen.width() - window.width()) / 2, screen.y()};
}

QPoint centre(const QSize& window, const QRect& screen) {
    return {screen.x() + (screen.width() - window.width()) / 2,
            screen.y() + (screen.height() - window.height()) / 2};
}

namespace {
QRect screenOf(const QWidget* window) {
    const QScreen* screen = window->screen();
    return screen ? screen->geometry() : QRect();
}
}  // namespace

void placeTopCentre(QWidget* window) { window->move(topCentre(window->size(), screenOf(window))); }

void placeCentre(QWidget* window) { window->move(centre(window->size(), screenOf(window))); }

}  // namespace quel
