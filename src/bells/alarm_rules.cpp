#include "bells/alarm_rules.h"

#include <cmath>

namespace quel::alarm {

std::optional<double> readNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    // "inf" and "nan" parse, but no operator means them as a time or a length.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString checkedTimeInput(const QString& text, int max) {
    const std::optional<double> value = readNumber(text);
    if (!value || *value < 0 || *value > max)
        return QString();
    return text;
}

bool reached(const AlarmTime& alarmTime, const ProgramClock& clock) {
    const std::optional<double> hour = readNumber(alarmTime.hour);
    const std::optional<double> minute = readNumber(alarmTime.minute);
    const std::optional<double> second = readNumber(alarmTime.second);
    if (!hour || !minute || !second)
        return false;
    return *hour == clock.hour && *minute == clock.minute && *second == clock.second;
}

}  // namespace quel::alarm
