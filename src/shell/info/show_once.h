#pragma once

#include <QApplication>
#include <QWidget>

namespace quel {

// Shows the window of type `Window`, or, when one is already open, brings that one forward instead
// of opening a second copy. `Window` deletes itself on close, so a closed window is simply made anew.
template <typename Window>
Window* showOnce(QWidget* parent = nullptr) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* open = qobject_cast<Window*>(top);
        if (!open || open->isHidden())
            continue;
        if (open->isMinimized())
            open->showNormal();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* window = new Window(parent);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace quel
