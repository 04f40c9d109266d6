#pragma once

#include <QString>
#include <QStringList>

#include "engine/program_clock.h"

namespace quel {

enum class PowerAction { Shutdown, Restart, Logoff };
enum class Voice { Male, Female };

// What the tick asks of the rest of the program. The main window implements it; the tick never
// touches a widget, so it is tested with a recording stand-in. Entry indexes are 1-based positions in
// `entries()`, as the table's own numbering goes.
class Responses {
public:
    virtual ~Responses() = default;

    // The sorted entry texts of the current table.
    virtual const QStringList& entries() const = 0;

    virtual void broadcastStaticOn(int entryIndex) = 0;
    virtual void broadcastDynamicOn(int entryIndex) = 0;
    virtual void broadcastOff() = 0;
    virtual void switchRadio() = 0;
    // Either at once or through a confirmation window, as the operator's settings say.
    virtual void powerOff(PowerAction action) = 0;
    virtual void openTableByResponse(int entryIndex) = 0;
    virtual void sayTime(Voice voice, const ProgramClock& clock) = 0;
    virtual void playTone(const QString& path) = 0;

    // Every tick, after the clock advanced.
    virtual void hourlyChime(const ProgramClock& clock) = 0;
    // Ticks that fire no entry, before the status line.
    virtual void alarmStep(const ProgramClock& clock) = 0;
    virtual void showStatus(const QString& line) = 0;
};

}  // namespace quel
