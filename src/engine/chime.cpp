#include "engine/chime.h"

#include <QAction>
#include <QMenu>

#include "platform/named.h"
#include "platform/settings_names.h"

namespace quel {

Chime::Chime(Platform& platform, Media& chime, QObject* parent)
    : QObject(parent),
      files_(platform.files),
      programFolder_(platform.programFolder),
      chime_(chime),
      menu_(std::make_unique<QMenu>(QStringLiteral("敲钟"))) {
    menu_->setObjectName(QStringLiteral("Menu2"));

    QMenu* onOff = addNamedMenu(menu_.get(), QStringLiteral("MenuTollOnOff"), QStringLiteral("整点敲钟"));
    on_ = addNamedAction(onOff, QStringLiteral("MenuTollOn"), QStringLiteral("开"), true);
    off_ = addNamedAction(onOff, QStringLiteral("MenuTollOff"), QStringLiteral("关"), true);

    QMenu* sounds =
        addNamedMenu(menu_.get(), QStringLiteral("MenuTollRingChoose"), QStringLiteral("钟声选择"));
    soundA_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseA"), QStringLiteral("钟声A"), true);
    soundB_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseB"), QStringLiteral("钟声B"), true);
    soundC_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseC"), QStringLiteral("钟声C"), true);

    QAction* listenItem =
        addNamedAction(menu_.get(), QStringLiteral("MenuTollListen"), QStringLiteral("试听钟声"));

    // Qt flips a checkable item before `triggered`, so `checked` false means it was ticked already.
    connect(on_, &QAction::triggered, this, [this](bool checked) { chooseSwitch(on_, checked, true); });
    connect(off_, &QAction::triggered, this, [this](bool checked) { chooseSwitch(off_, checked, false); });
    connect(soundA_, &QAction::triggered, this,
            [this](bool checked) { chooseSound(soundA_, checked, chime::Sound::A); });
    connect(soundB_, &QAction::triggered, this,
            [this](bool checked) { chooseSound(soundB_, checked, chime::Sound::B); });
    connect(soundC_, &QAction::triggered, this,
            [this](bool checked) { chooseSound(soundC_, checked, chime::Sound::C); });
    connect(listenItem, &QAction::triggered, this, &Chime::listen);
    // An open file keeps the pipeline, its threads and the audio device for the rest of the run.
    connect(&chime_, &Media::endOfStream, this, [this] { chime_.setFileName(QString()); });
}

Chime::~Chime() = default;

void Chime::applyTollSetting(const QString& tollSetting) {
    tollSetting_ = tollSetting;
    const std::optional<bool> on = chime::switchOf(tollSetting);
    on_->setChecked(on == true);
    off_->setChecked(on == false);
    const std::optional<chime::Sound> sound = chime::soundOf(tollSetting);
    for (const chime::Sound s : {chime::Sound::A, chime::Sound::B, chime::Sound::C}) {
        soundAction(s)->setChecked(sound == s);
    }
}

void Chime::hourlyChime(const ProgramClock& clock) {
    if (!on_->isChecked())
        return;
    if (clock.minute != 0 || clock.second != 0)
        return;
    const QString sound = chime::soundFile(tollSetting_, chime::dialHour(clock.hour));
    play(sound);
    emit struck(clock, sound);
}

void Chime::chooseSwitch(QAction* clicked, bool checked, bool on) {
    if (!checked) {
        clicked->setChecked(true);
        return;
    }
    on_->setChecked(on);
    off_->setChecked(!on);
    tollSetting_ = chime::withSwitch(tollSetting_, on);
    save();
}

void Chime::chooseSound(QAction* clicked, bool checked, chime::Sound sound) {
    if (!checked) {
        clicked->setChecked(true);
        return;
    }
    for (const chime::Sound s : {chime::Sound::A, chime::Sound::B, chime::Sound::C}) {
        soundAction(s)->setChecked(s == sound);
    }
    tollSetting_ = chime::withSound(tollSetting_, programFolder_, sound);
    save();
}

void Chime::listen() {
    if (!soundA_->isChecked() && !soundB_->isChecked() && !soundC_->isChecked())
        return;
    // The bell's own component rather than a system beep call: one output path for every sound, and
    // a preview that a later whole hour can cut off like any chime.
    play(chime::previewFile(tollSetting_));
}

void Chime::play(const QString& path) {
    // A bell still sounding from the last hour gives way to the new one.
    chime_.stop();
    // The Windows version wrote its paths in capitals; the sounds are found in any case.
    chime_.setFileName(resolveInFolder(programFolder_, path));
    chime_.play();
}

void Chime::save() {
    files_.writeText(programFolder_ + QLatin1Char('/') + settings::kToll, tollSetting_);
}

QAction* Chime::soundAction(chime::Sound sound) const {
    switch (sound) {
        case chime::Sound::A:
            return soundA_;
        case chime::Sound::B:
            return soundB_;
        case chime::Sound::C:
            return soundC_;
    }
    return soundA_;
}

}  // namespace quel
