#pragma once

#include <QIcon>
#include <QPixmap>

namespace quel {

// The program's icon, a golden bell on a round blue badge, drawn at run time so that no image file
// has to travel with the program. Used for the windows, the tray and the splash logo.
QIcon appIcon();

// One rendering of the icon, `size` pixels square; small sizes drop the fine detail that would only
// blur.
QPixmap appIconPixmap(int size);

}  // namespace quel
