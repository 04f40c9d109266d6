#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "bells/chime_rules.h"
#include "platform/platform.h"
#include "platform/settings_store.h"
#include "schedule/program_clock.h"

namespace quel {

// The hourly chime. Its setting lives in `Toll.txt`: a switch 开 or 关 and the sound's path prefix. The
// shell's menu 敲钟 shows the setting and forwards the operator's choices.
class Chime : public QObject {
    Q_OBJECT
public:
    // `chime` is the component that plays nothing but the bell, so a bell never cuts off a tone.
    Chime(Platform& platform, Media& chime, QObject* parent = nullptr);

    // Start-up hands in the repaired content of `Toll.txt`.
    void applyTollSetting(const QString& tollSetting);
    QString tollSetting() const { return tollSetting_; }
    // Empty when the setting names neither choice.
    std::optional<bool> isOn() const { return chime::switchOf(tollSetting_); }
    std::optional<chime::Sound> sound() const { return chime::soundOf(tollSetting_); }

    // Each writes `Toll.txt`.
    void setOn(bool on);
    void setSound(chime::Sound sound);
    // Plays the chosen sound's preview; nothing while no sound is chosen.
    void listen();

    // Every tick, after the program clock advanced: strikes the hour at each whole hour while on.
    void hourlyChime(const ProgramClock& clock);

signals:
    void settingChanged();
    // The hour was struck with this sound.
    void struck(const ProgramClock& clock, const QString& soundPath);
    // The setting holds for this run only: the file at `path` could not be written.
    void notSaved(const QString& path);

private:
    void play(const QString& path);
    void save();

    SettingsStore settings_;
    Media& chime_;
    QString tollSetting_;
};

}  // namespace quel
