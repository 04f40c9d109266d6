#pragma once

#include <QString>

#include "platform/settings_store.h"

namespace quel {

// What start-up reads from each settings file, with the repairs it makes where a value is unusable.
// Each function reads (and, where said, rewrites) one file; the main window applies the result to its
// menus and members in start-up order.

// No number other than 0 in ResetSystem.txt (missing, empty and junk included) means a reset is due;
// an unreadable file does not.
bool resetDue(const SettingsStore& store);

// The tick's starting interval; 1000 ms when Interval.txt holds no positive whole number (a zero
// interval would stop the clock). The file is left as it is.
int readTickInterval(const SettingsStore& store);

enum class Choice { First, Second, Neither };

// AutoRunYesNo.txt: "YES" → First, "NO" → Second, exactly.
Choice readAutoRun(const SettingsStore& store);

// Toll.txt; a value that starts with neither 开 nor 关 is rewritten with the chime on and sound A (an
// unreadable file is only read so, never rewritten).
QString readTollSetting(const SettingsStore& store);

// DefaultDTT.txt; a path where nothing stands (the reset marker included) gives the program's
// DayTimeTable/Default.DTT and rewrites the file with that path, unless DefaultDTT.txt is unreadable.
// A table that stands there unreadable stays the default: it still holds the school's entries.
QString readDefaultTablePath(const SettingsStore& store);

// The 当前值 caption of a Shut.txt, Restart.txt or Logoff.txt value ("开60" → 当前值:60秒).
QString waitCaption(const QString& powerText);

// show.txt: "show" → First, "hide" → Second.
Choice readShowState(const SettingsStore& store);

}  // namespace quel
