#pragma once

#include <QString>

#include "platform/program_title.h"

namespace quel::version {

// The numbers come from CMake's project(VERSION), which the package and the metainfo take too, so
// the version is written in one place only; quel_info hands them to everything that includes this.
#if !defined(QUELBROOK_VERSION_MAJOR) || !defined(QUELBROOK_VERSION_MINOR) || \
    !defined(QUELBROOK_VERSION_PATCH)
#error "the version comes from the CMake project: link quel_info"
#endif

// The title and version that the main window's caption and label, the tray tip, the single-instance
// notice, the splash and the about window all show.
inline constexpr auto& kTitle = kProgramTitle;
inline constexpr int kMajor = QUELBROOK_VERSION_MAJOR;
inline constexpr int kMinor = QUELBROOK_VERSION_MINOR;
inline constexpr int kRevision = QUELBROOK_VERSION_PATCH;

inline QString title() {
    return programTitle();
}

// "7.0.253"
inline QString text() {
    return QStringLiteral("%1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision);
}

// "『Quelbrook 7.0版』": the label of the main window that quits the program.
inline QString edition() {
    return QStringLiteral("『") + title() + QLatin1Char(' ') + QString::number(kMajor) + QLatin1Char('.') +
           QString::number(kMinor) + QStringLiteral("版』");
}

// "Quelbrook(版本 7.0.253)": the tray tip, and the start of the single-instance notice.
inline QString titleWithVersion() {
    return title() + QStringLiteral("(版本 ") + text() + QLatin1Char(')');
}

}  // namespace quel::version
