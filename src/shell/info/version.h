#pragma once

#include <QString>

namespace quel::version {

// The title and version that the main window's caption, the tray tip, the single-instance notice,
// the splash and the about window all show.
inline constexpr char kTitle[] = "Quelbrook";
inline constexpr int kMajor = 7;
inline constexpr int kMinor = 0;
inline constexpr int kRevision = 253;

inline QString title() {
    return QString::fromLatin1(kTitle);
}

// "7.0.253"
inline QString text() {
    return QStringLiteral("%1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision);
}

// "Quelbrook(版本 7.0.253)": the tray tip, and the start of the single-instance notice.
inline QString titleWithVersion() {
    return title() + QStringLiteral("(版本 ") + text() + QLatin1Char(')');
}

}  // namespace quel::version
