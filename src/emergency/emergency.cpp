#include "emergency/emergency.h"

#include <QFileInfo>

#include "platform/media.h"
#include "platform/settings_store.h"

namespace quel {

namespace {
// Full volume in the media component's hundredths of a decibel, balance centred.
constexpr int kFullVolume = 0;
constexpr int kCentre = 0;

bool playable(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable();
}
}  // namespace

bool heldDuringEmergency(ResponseKind kind) {
    switch (kind) {
        case ResponseKind::BroadcastStaticOn:
        case ResponseKind::BroadcastDynamicOn:
        case ResponseKind::RadioOn:
        case ResponseKind::Shutdown:
        case ResponseKind::Restart:
        case ResponseKind::Logoff:
        case ResponseKind::SayTimeMale:
        case ResponseKind::SayTimeFemale:
        case ResponseKind::Tone:
            return true;
        case ResponseKind::BroadcastOff:
        case ResponseKind::RadioOff:
        case ResponseKind::JustMyTime:
        case ResponseKind::RunProgram:
        case ResponseKind::OpenTable:
            return false;
    }
    return false;
}

EmergencyBroadcast::EmergencyBroadcast(Media& siren, const SettingsStore& settings, QString builtInSound,
                                       QObject* parent)
    : QObject(parent),
      siren_(siren),
      settings_(settings),
      builtIn_(std::move(builtInSound)),
      chosen_(settings.text(kSoundSetting)) {
    // Prepared, the sound waits paused for hours; its start must not wait on how long that was.
    siren_.setImmediate(true);
    connect(&siren_, &Media::endOfStream, this, &EmergencyBroadcast::onEnded);
    connect(&siren_, &Media::failed, this, &EmergencyBroadcast::onFailed);
}

QString EmergencyBroadcast::sound() const {
    return playable(chosen_) ? chosen_ : builtIn_;
}

bool EmergencyBroadcast::chooseSound(const QString& path) {
    if (!settings_.writeText(kSoundSetting, path))
        return false;
    chosen_ = path;
    if (!prepared_.isEmpty() && !active_)
        prepare();
    return true;
}

void EmergencyBroadcast::prepare() {
    if (active_)
        return;
    prepared_ = sound();
    siren_.setMute(true);
    siren_.setFileName(prepared_);
    siren_.pause();
}

void EmergencyBroadcast::start() {
    if (active_)
        return;
    active_ = true;
    // A chosen file that went missing would only fail some milliseconds later; the built-in tone
    // plays at once instead, and the operator hears of the choice.
    if (!chosen_.isEmpty() && !playable(chosen_))
        emit soundFailed(chosen_);
    play(sound());
    emit activeChanged(true);
}

void EmergencyBroadcast::stop() {
    if (!active_)
        return;
    active_ = false;
    playing_.clear();
    if (prepared_.isEmpty()) {
        siren_.stop();
        siren_.setFileName(QString());
    } else {
        siren_.setMute(true);
        siren_.pause();
        siren_.setPosition(0);
        // A sound chosen while the alarm sounded waits in its place for the next start.
        if (prepared_ != sound())
            prepare();
    }
    emit activeChanged(false);
}

void EmergencyBroadcast::play(const QString& path) {
    playing_ = path;
    siren_.setVolume(kFullVolume);
    siren_.setBalance(kCentre);
    if (!prepared_.isEmpty() && path == prepared_ && siren_.fileName() == path) {
        siren_.setPosition(0);
        siren_.setMute(false);
        siren_.play();
        return;
    }
    // Another sound than the one that waits (the operator chose anew, or it failed): opened now.
    siren_.setMute(false);
    siren_.setFileName(path);
}

void EmergencyBroadcast::onEnded() {
    if (active_)
        siren_.play();
}

void EmergencyBroadcast::onFailed(const QString& path) {
    // A sound that cannot play no longer waits; a start opens its replacement.
    if (path == prepared_)
        prepared_.clear();
    if (!active_ || path != playing_)
        return;
    emit soundFailed(path);
    if (path != builtIn_)
        play(builtIn_);
}

}  // namespace quel
