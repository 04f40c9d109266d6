#pragma once

#include <QObject>
#include <QString>

#include "schedule/entry_grammar.h"

namespace quel {

class Media;
class SettingsStore;

// Whether an entry of this kind waits out an emergency: everything that would make a sound or take
// the computer away (bells, broadcasts, the radio, the spoken time, power-off). What only silences
// something, or makes no sound (opening a table, setting the program clock), goes on.
bool heldDuringEmergency(ResponseKind kind);

// The emergency broadcast (紧急广播): the chosen sound looped on a media component of its own, at
// full volume and unmuted, until the operator ends it. It knows no other feature: whoever wires it
// listens to activeChanged() to silence the rest of the program, and asks holds() before carrying out
// a fired entry.
class EmergencyBroadcast : public QObject {
    Q_OBJECT
public:
    // The operator's choice of sound, a path in one settings file of the program folder.
    static inline const QString kSoundSetting = QStringLiteral("EmergencySound.txt");

    // `siren` plays nothing else. `builtInSound` is the evacuation tone shipped with the program; it
    // plays whenever the operator's choice is not set or cannot play.
    EmergencyBroadcast(Media& siren, const SettingsStore& settings, QString builtInSound,
                       QObject* parent = nullptr);

    bool isActive() const { return active_; }
    // The sound that plays on start: the operator's choice when it is a regular file, else the built-in.
    QString sound() const;
    QString chosenSound() const { return chosen_; }
    QString builtInSound() const { return builtIn_; }
    // Writes the operator's choice; an empty path goes back to the built-in. False when it could not be
    // written, and then nothing changes.
    bool chooseSound(const QString& path);

    // True when an entry of this kind fired now must be held rather than carried out.
    bool holds(ResponseKind kind) const { return active_ && heldDuringEmergency(kind); }

public slots:
    // Opens the sound muted and paused, so that a later start only unmutes and plays: opening the
    // component's first file takes the better part of a second (its pipeline, the sound server's
    // stream), which the alarm must not wait for. Between emergencies the sound then stays open,
    // paused and silent.
    void prepare();
    // Starting while it sounds, or ending while it is silent, changes nothing.
    void start();
    void stop();

signals:
    // Emitted after the sound was started, so the alarm is heard before anything else is stopped.
    void activeChanged(bool active);
    // A sound could not play. When it was the operator's choice the built-in tone plays instead; when
    // it was the built-in one, nothing sounds while the emergency still holds the entries.
    void soundFailed(const QString& path);

private:
    void play(const QString& path);
    void onEnded();
    void onFailed(const QString& path);

    Media& siren_;
    const SettingsStore& settings_;
    QString builtIn_;
    QString chosen_;
    QString playing_;
    QString prepared_;  // the file that waits open and paused; empty when none does
    bool active_ = false;
};

}  // namespace quel
