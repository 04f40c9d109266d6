#pragma once

#include <QStringList>

#include "engine/responses.h"

namespace quel::fakes {

// A stand-in for the response router that carries nothing out; derive to note what a test cares about.
// It also holds the table the tick under test reads.
class QuietResponses : public Responses {
public:
    void broadcastOn(const QString&, PlayOrder) override {}
    void broadcastOff() override {}
    void radio(bool) override {}
    void powerOff(PowerAction) override {}
    void openTableByResponse(const QString&) override {}
    void sayTime(Voice, const ProgramClock&) override {}
    void playTone(const QString&) override {}

    QStringList table;
};

}  // namespace quel::fakes
