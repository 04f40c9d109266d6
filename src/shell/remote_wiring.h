#pragma once

#include <functional>
#include <memory>

#include "remote/remote_actions.h"

namespace quel {

class Alarm;
class Broadcaster;
class ClockTick;
class EmergencyBroadcast;
class History;
class Media;
class PowerOff;
class RadioControl;
class SettingsStore;
class TableDocument;
class Unattended;
struct Platform;
namespace campus {
class Campus;
}

// The parts of the main window the ways in from afar act on.
struct RemoteParts {
    Platform& platform;
    const SettingsStore& store;
    ClockTick& tick;
    const TableDocument& table;
    Media& tonePlayer;
    Media& chimePlayer;
    Alarm& alarm;
    Broadcaster& broadcaster;
    RadioControl& radio;
    PowerOff& powerOff;
    Unattended& unattended;
    History& history;
    QString builtInTone;     // the built-in tone of `ring` without a file
    QString evacuationTone;  // the emergency's built-in sound
    // Why today's table applies, as the school calendar chose it; empty while it chose nothing.
    std::function<QString()> todayReason;
};

// RemoteActions over the program's features, and the emergency broadcast wired into them: while it
// sounds the tick holds back what would sound, and everything that sounded is silenced.
class ShellRemote final : public RemoteActions {
    Q_OBJECT
public:
    explicit ShellRemote(const RemoteParts& parts, QObject* parent = nullptr);
    ~ShellRemote() override;

    EmergencyBroadcast& emergencyBroadcast() const { return *emergency_; }
    Broadcaster& broadcaster() const { return parts_.broadcaster; }

    ActionResult ringNow(const QString& file) override;
    ActionResult next() override;
    ActionResult skipNext() override;
    ActionResult broadcast(const QString& playList, bool random) override;
    ActionResult stop() override;
    ActionResult say(bool female) override;
    ActionResult emergency(bool on) override;
    RemoteStatus status() const override;

    // The campus's verbs go to `campus` once it is handed in; until then they are refused.
    void setCampus(campus::Campus* campus) { campus_ = campus; }
    void campusPublish(const QString& folder, const Answer& answer) override;
    void campusFollow(const QString& address, const QString& publicKey, const Answer& answer) override;
    void campusSync(const Answer& answer) override;

private:
    void silenceEverything();

    RemoteParts parts_;
    std::unique_ptr<Media> siren_;
    EmergencyBroadcast* emergency_;
    QString shownNext_;
    campus::Campus* campus_ = nullptr;
};

}  // namespace quel
