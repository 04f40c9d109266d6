#pragma once

#include "engine/responses.h"

namespace quel::fakes {

// A stand-in for the main window that carries nothing out; derive to note what a test cares about.
class QuietResponses : public Responses {
public:
    const QStringList& entries() const override { return table; }
    void broadcastStaticOn(int) override {}
    void broadcastDynamicOn(int) override {}
    void broadcastOff() override {}
    void switchRadio() override {}
    void powerOff(PowerAction) override {}
    void openTableByResponse(int) override {}
    void sayTime(Voice, const ProgramClock&) override {}
    void playTone(const QString&) override {}
    void hourlyChime(const ProgramClock&) override {}
    void alarmStep(const ProgramClock&) override {}
    void showStatus(const QString&) override {}

    QStringList table;
};

}  // namespace quel::fakes
