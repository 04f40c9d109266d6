#include "player/window_modes.h"

#include <QGuiApplication>

#include "platform/files.h"
#include "platform/settings_names.h"

namespace quel {

bool windowSystemCanSlideIn() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

WindowModes::WindowModes(Files& files, QString programFolder, bool slideInWorks, QObject* parent)
    : QObject(parent), settings_(files, std::move(programFolder)), slideInWorks_(slideInWorks) {}

void WindowModes::restore() {
    const auto stored = settings_.number(settings::kPlayerActive);
    if (stored == 1 || (stored == 2 && !slideInWorks_)) {
        set(WindowMode::Standard, false);
    } else if (stored == 2) {
        set(WindowMode::Active, false);
    }
}

void WindowModes::clickStandard() {
    set(mode_ == WindowMode::Standard && slideInWorks_ ? WindowMode::Active : WindowMode::Standard, true);
}

void WindowModes::clickActive() {
    set(mode_ == WindowMode::Active || !slideInWorks_ ? WindowMode::Standard : WindowMode::Active, true);
}

void WindowModes::set(WindowMode mode, bool write) {
    if (write) {
        settings_.writeNumber(settings::kPlayerActive, mode == WindowMode::Active ? 2 : 1);
    }
    mode_ = mode;
    emit modeChanged(mode);
}

WindowModes::Place WindowModes::slidePlace(const QRect& screen, const QRect& window, const QPoint& mouse,
                                           bool held) {
    const QPoint shown = slidInPlace(screen, window.size());
    const bool atEdge =
        mouse.x() >= screen.right() - 4 && mouse.y() > screen.top() + 100 && mouse.y() < screen.top() + 320;
    QRect stands = window;
    if (atEdge || held) {
        stands.moveTopLeft(shown);
    }
    const QRect reach(stands.topLeft(), stands.size() + QSize(6, 26));
    if (reach.contains(mouse)) {
        return {shown, true, true};
    }
    if (held) {
        return {shown, true, false};
    }
    return {{screen.right() + 1, screen.top()}, false, false};
}

QPoint WindowModes::slidInPlace(const QRect& screen, const QSize& window) {
    return {screen.right() + 1 - window.width(), screen.top()};
}

QPoint WindowModes::centredPlace(const QRect& screen, const QSize& window) {
    return screen.center() - QPoint(window.width() / 2, window.height() / 2);
}

}  // namespace quel
