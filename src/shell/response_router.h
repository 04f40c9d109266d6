#pragma once

#include "engine/responses.h"

namespace quel {

class Broadcaster;
class Media;
class PowerOff;
class RadioControl;
class TableDocument;

// Carries what the tick fires to the feature that owns it. It holds no state of its own: each response
// is one call on a controller, so the main window only wires.
class ResponseRouter final : public Responses {
public:
    ResponseRouter(TableDocument& table, Media& tonePlayer, Broadcaster& broadcaster, RadioControl& radio,
                   PowerOff& powerOff)
        : table_(table),
          tonePlayer_(tonePlayer),
          broadcaster_(broadcaster),
          radio_(radio),
          powerOff_(powerOff) {}

    void broadcastOn(const QString& playListPath, PlayOrder order) override;
    void broadcastOff() override;
    void radio(bool on) override;
    void powerOff(PowerAction action) override;
    void openTableByResponse(const QString& tablePath) override;
    void sayTime(Voice voice, const ProgramClock& clock) override;
    void playTone(const QString& path) override;

private:
    TableDocument& table_;
    Media& tonePlayer_;
    Broadcaster& broadcaster_;
    RadioControl& radio_;
    PowerOff& powerOff_;
};

}  // namespace quel
