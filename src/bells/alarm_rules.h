#pragma once

#include <QString>
#include <optional>

#include "schedule/program_clock.h"

namespace quel::alarm {

// The unit the count-down is measured in.
enum class Unit { Hour, Minute, Second };

// A typed or picked input read as a number: blanks around it allowed, fractions and exponents too.
// nullopt for anything else, the empty text included.
std::optional<double> readNumber(const QString& text);

// What an alarm-time input keeps after a change: its text while it reads as a number from 0 to `max`
// (a fraction such as 1.5 passes), otherwise the empty text.
QString checkedTimeInput(const QString& text, int max);
constexpr int kMaxHour = 23;
constexpr int kMaxMinute = 59;

// The alarm time set in the three inputs; all empty means none is set.
struct AlarmTime {
    QString hour;
    QString minute;
    QString second;
};

// Whether the program clock has reached the alarm time. All three fields are compared as numbers, so
// "8", "05", "00" rings at 8:05:00 as "8", "5", "0" does; an input that is empty, not a number or not
// whole never matches.
bool reached(const AlarmTime& alarmTime, const ProgramClock& clock);

}  // namespace quel::alarm
