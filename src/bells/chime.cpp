#include "bells/chime.h"

#include "platform/named.h"
#include "platform/settings_names.h"

namespace quel {

Chime::Chime(Platform& platform, Media& chime, QObject* parent)
    : QObject(parent), settings_(platform.files, platform.programFolder), chime_(chime) {
    // An open file keeps the pipeline, its threads and the audio device for the rest of the run.
    connect(&chime_, &Media::endOfStream, this, [this] { chime_.setFileName(QString()); });
}

void Chime::applyTollSetting(const QString& tollSetting) {
    tollSetting_ = tollSetting;
    emit settingChanged();
}

void Chime::setOn(bool on) {
    tollSetting_ = chime::withSwitch(tollSetting_, on);
    save();
    emit settingChanged();
}

void Chime::setSound(chime::Sound sound) {
    tollSetting_ = chime::withSound(tollSetting_, settings_.folder(), sound);
    save();
    emit settingChanged();
}

void Chime::hourlyChime(const ProgramClock& clock) {
    if (isOn() != true)
        return;
    if (clock.minute != 0 || clock.second != 0)
        return;
    const QString sound = chime::soundFile(tollSetting_, chime::dialHour(clock.hour));
    play(sound);
    emit struck(clock, sound);
}

void Chime::listen() {
    if (!sound())
        return;
    // The bell's own component rather than a system beep call: one output path for every sound, and
    // a preview that a later whole hour can cut off like any chime.
    play(chime::previewFile(tollSetting_));
}

void Chime::play(const QString& path) {
    // A bell still sounding from the last hour gives way to the new one.
    chime_.stop();
    // The Windows version wrote its paths in capitals; the sounds are found in any case.
    chime_.setFileName(resolveInFolder(settings_.folder(), path));
    chime_.play();
}

void Chime::save() {
    if (!settings_.writeText(settings::kToll, tollSetting_))
        emit notSaved(settings_.pathForWriting(settings::kToll));
}

}  // namespace quel
