#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <array>

namespace quel {

// The sizes that desktops ask a tray or window icon for; others are scaled from the nearest. The
// installed icon theme holds the same renderings.
inline constexpr std::array kAppIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// The program's icon, a golden bell on a round blue badge, drawn at run time so that no image file
// has to travel with the program. Used for the windows, the tray and the splash logo.
QIcon appIcon();

// One rendering of the icon, `size` pixels square; small sizes drop the fine detail that would only
// blur.
QPixmap appIconPixmap(int size);

// The same rendering as an image, which needs no display: the installed icon files are made from it.
QImage appIconImage(int size);

}  // namespace quel
