#include "platform/window_place.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace quel {

void showOver(QWidget* window, QWidget* owner) {
    QWidget* top = owner ? owner->window() : nullptr;
    if (!window->isVisible()) {
        // Until it is shown, a window that was never resized measures Qt's default 640x480.
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize();
        // Its layout may still grow it to what its contents need; that happens now, not at show.
        if (window->layout())
            window->layout()->activate();
        window->winId();
        if (top && top->windowHandle())
            window->windowHandle()->setTransientParent(top->windowHandle());
        QScreen* screen = top ? top->screen() : window->screen();
        const QRect room = screen ? screen->availableGeometry() : QRect();
        const QPoint middle = top && top->isVisible() ? top->frameGeometry().center() : room.center();
        QRect placed(QPoint(), window->frameGeometry().size().expandedTo(window->size()));
        placed.moveCenter(middle);
        if (room.isValid()) {
            // Wholly on the owner's screen, title bar first when the window is taller than the screen.
            placed.moveRight(std::min(placed.right(), room.right()));
            placed.moveBottom(std::min(placed.bottom(), room.bottom()));
            placed.moveLeft(std::max(placed.left(), room.left()));
            placed.moveTop(std::max(placed.top(), room.top()));
        }
        window->move(placed.topLeft());
    }
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace quel
