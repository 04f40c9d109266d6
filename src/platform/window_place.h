#pragma once

class QWidget;

namespace quel {

// Shows a window of the program over the window it belongs to: transient for it, so the window
// manager keeps it above its owner, and centred on the owner by its real size, inside the owner's
// screen. Without an owner it is centred on the screen. A window already shown is only raised.
void showOver(QWidget* window, QWidget* owner);

}  // namespace quel
