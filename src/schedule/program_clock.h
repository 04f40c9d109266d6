#pragma once

#include <QString>

namespace quel {

// The program's own clock. It advances one second per tick and never jumps, so every second of its
// day is matched exactly once; the tick's interval steering lets it catch up with the system clock.
struct ProgramClock {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59

    // "H:MM:SS", the form of an entry's Time: 8:05:09, 13:00:00.
    QString text() const {
        return QString::number(hour) + QLatin1Char(':') + twoDigits(minute) + QLatin1Char(':') +
               twoDigits(second);
    }
    static QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }
    bool operator==(const ProgramClock&) const = default;
};

}  // namespace quel
