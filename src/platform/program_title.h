#pragma once

#include <QString>

namespace quel {

// The program's name as every window caption, message box, the sound server's stream list and the
// sleep hold show it.
inline constexpr char kProgramTitle[] = "Quelbrook";

inline QString programTitle() {
    return QString::fromLatin1(kProgramTitle);
}

}  // namespace quel
