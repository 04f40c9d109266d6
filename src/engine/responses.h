#pragma once

#include <QString>

#include "platform/play_order.h"
#include "schedule/program_clock.h"
#include "schedule/vocabulary.h"

namespace quel {

// What a fired entry asks of the rest of the program, each with what the tick already parsed from the
// entry. The shell's router implements it by forwarding to the features; the tick never touches a
// widget, so it is tested with a recording stand-in.
class Responses {
public:
    virtual ~Responses() = default;

    // 播音开-静态 plays the list in stored order, 播音开-动态 shuffled.
    virtual void broadcastOn(const QString& playListPath, PlayOrder order) = 0;
    virtual void broadcastOff() = 0;
    // 收音机开 makes the line input heard, 收音机关 silences it.
    virtual void radio(bool on) = 0;
    // Either at once or through a confirmation window, as the operator's settings say.
    virtual void powerOff(PowerAction action) = 0;
    virtual void openTableByResponse(const QString& tablePath) = 0;
    virtual void sayTime(Voice voice, const ProgramClock& clock) = 0;
    virtual void playTone(const QString& path) = 0;
};

}  // namespace quel
