#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "bells/alarm_rules.h"
#include "platform/platform.h"
#include "platform/settings_store.h"

namespace quel {

// The alarm: the count-down's unit (`timeset.txt`), the alarm sound (`Userwav.txt`) and the one place
// that sounds the alarm. It also keeps the rule that the tone component's file name is empty exactly
// while it is idle. The shell's menu 闹铃 shows the state and forwards the operator's choices.
class Alarm : public QObject {
    Q_OBJECT
public:
    // `tone` is the main window's component for tones and alarm sounds.
    Alarm(Platform& platform, Media& tone, QObject* parent = nullptr);

    // Start-up hands in the value read from `timeset.txt` ("hour", "minute" or "second"). Anything else
    // counts in minutes (unitAssumed()); the result is then false and the caller rewrites the file with
    // "minute".
    bool applyAlarmUnit(const QString& stored);
    // Start-up hands in the value read from `Userwav.txt` and the built-in sound's path. An empty value
    // falls back to the built-in sound; the result is then false and the caller rewrites the file.
    bool applyRings(const QString& userRing, const QString& defaultRing);

    alarm::Unit unit() const { return unit_; }
    // Whether the unit was read or chosen, rather than still unknown.
    bool unitKnown() const { return unitKnown_; }
    // Whether start-up found no usable unit and assumed minutes.
    bool unitAssumed() const { return unitAssumed_; }
    QString userRing() const { return userRing_; }
    QString defaultRing() const { return defaultRing_; }
    bool usesDefaultRing() const;

    // A count-down in progress keeps its remaining count and goes on in the new unit.
    void chooseUnit(alarm::Unit unit);
    // Asks for a sound; the chosen one sounds once. `Userwav.txt` is written even when cancelled, so
    // the file always holds the sound in use.
    void chooseRing();
    void useDefaultRing();
    // Sounds the alarm once on the tone component; a tone still playing gives way to it.
    void ring();
    // Also silences a tone: both share the component.
    void stopSound();

signals:
    void changed();
    // The choice holds for this run only: the file at `path` could not be written.
    void notSaved(const QString& path);

private:
    void saveRing();
    void save(const QString& name, const QString& value);

    SettingsStore settings_;
    Dialogs& dialogs_;
    Media& tone_;

    alarm::Unit unit_ = alarm::Unit::Minute;
    bool unitKnown_ = false;
    bool unitAssumed_ = false;
    QString userRing_;
    QString defaultRing_;
};

}  // namespace quel
