#pragma once

#include <QString>

namespace quel {

class Autostart;
class SettingsStore;

// Starting with the desktop session: the autostart entry plus AutoRunYesNo.txt. The settings file is
// written whatever the autostart service answered, so the menu follows what the operator asked for.
bool startWithSessionOn(const SettingsStore& store, Autostart& autostart, const QString& executable);
bool startWithSessionOff(const SettingsStore& store, Autostart& autostart);

// The seventeen reset writes, in their order, starting with the autostart "on" command. False when a
// file could not be written (the remaining ones are still attempted).
bool writeResetDefaults(const SettingsStore& store, Autostart& autostart, const QString& executable);

}  // namespace quel
