#include "shell/response_router.h"

#include "engine/say_time.h"
#include "platform/media.h"
#include "player/broadcaster.h"
#include "power/power_off.h"
#include "radio/radio_control.h"
#include "schedule/table_document.h"

namespace quel {

void ResponseRouter::sayTime(Voice voice, const ProgramClock& clock) {
    broadcaster_.announce(sayTimeFiles(voice, clock));
}

void ResponseRouter::broadcastOn(const QString& playListPath, PlayOrder order) {
    broadcaster_.broadcastOn(playListPath, order);
}

void ResponseRouter::broadcastOff() {
    broadcaster_.broadcastOff();
}

void ResponseRouter::powerOff(PowerAction action) {
    powerOff_.powerOff(action);
}

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
