#include "shell/response_router.h"

#include "engine/power_off.h"
#include "engine/radio_control.h"
#include "platform/media.h"
#include "schedule/table_document.h"

namespace quel {

// The broadcast and the spoken time have no controller yet: their entries fire and nothing happens.
void ResponseRouter::broadcastOn(const QString&, bool) {}
void ResponseRouter::broadcastOff() {}

void ResponseRouter::powerOff(PowerAction action) {
    powerOff_.powerOff(action);
}
void ResponseRouter::sayTime(Voice, const ProgramClock&) {}

void ResponseRouter::radio(bool on) {
    radio_.radio(on);
}

void ResponseRouter::openTableByResponse(const QString& tablePath) {
    table_.load(tablePath);
}

void ResponseRouter::playTone(const QString& path) {
    // A tone cuts off whatever the tone player was sounding, alarm included.
    tonePlayer_.stop();
    tonePlayer_.setFileName(path);
    tonePlayer_.play();
}

}  // namespace quel
