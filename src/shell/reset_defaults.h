#pragma once

#include <QString>

namespace quel {

class Autostart;
class SettingsStore;

// Starting with the desktop session: the autostart entry plus AutoRunYesNo.txt. The settings file is
// written whatever the autostart service answered, so the menu follows what the operator asked for.
bool startWithSessionOn(const SettingsStore& store, Autostart& autostart, const QString& executable);
bool startWithSessionOff(const SettingsStore& store, Autostart& autostart);

// What the reset does to DayTimeTable/Default.DTT and PlayListFile/Default.PLF. 系统重置, which the
// operator confirms, empties them. The reset at start-up only makes them where they are missing or hold
// no value: a table copied in before the first start, or one that a power cut left beside a garbled
// ResetSystem.txt, keeps its entries.
enum class ResetDocuments { Empty, KeepFilled };

// The seventeen reset writes, in their order, starting with the autostart "on" command. False when a
// file could not be written (the remaining ones are still attempted).
bool writeResetDefaults(const SettingsStore& store, Autostart& autostart, const QString& executable,
                        ResetDocuments documents);

}  // namespace quel
