#include "shell/info/placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace quel {

namespace {
// A window larger than the screen keeps its top left corner on the screen, where its caption and
// the start of its text can still be reached.
int centred(int start, int screenLength, int windowLength) {
    return start + std::max(0, (screenLength - windowLength) / 2);
}
}  // namespace

QPoint topCentre(const QSize& window, const QRect& screen) {
    return {centred(screen.x(), screen.width(), window.width()), screen.y()};
}

QPoint centre(const QSize& window, const QRect& screen) {
    return {centred(screen.x(), screen.width(), window.width()),
            centred(screen.y(), screen.height(), window.height())};
}

namespace {
QRect screenOf(const QWidget* window) {
    const QScreen* screen = window->screen();
    return screen ? screen->geometry() : QRect();
}
}  // namespace

void placeTopCentre(QWidget* window) {
    window->move(topCentre(window->size(), screenOf(window)));
}

void placeCentre(QWidget* window) {
    window->move(centre(window->size(), screenOf(window)));
}

}  // namespace quel
