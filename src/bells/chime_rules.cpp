#include "bells/chime_rules.h"

namespace quel::chime {

namespace {

constexpr int kDialHours = 12;
const QString kTollFolder = QStringLiteral("/toll/");
const QString kSoundSuffix = QStringLiteral(".WAV");

QChar letter(Sound sound) {
    switch (sound) {
        case Sound::A:
            return QLatin1Char('A');
        case Sound::B:
            return QLatin1Char('B');
        case Sound::C:
            return QLatin1Char('C');
    }
    return QLatin1Char('A');
}

// Everything after the switch character.
QString prefixOf(const QString& tollSetting) {
    return tollSetting.mid(1);
}

}  // namespace

int dialHour(int hour) {
    if (hour == 0 || hour > kDialHours)
        return qAbs(hour - kDialHours);
    return hour;
}

QString prefix(const QString& programFolder, Sound sound) {
    const QChar l = letter(sound);
    return programFolder + kTollFolder + l + QLatin1Char('/') + l;
}

QString soundFile(const QString& tollSetting, int n) {
    return prefixOf(tollSetting) + QString::number(n) + kSoundSuffix;
}

QString previewFile(const QString& tollSetting) {
    return soundFile(tollSetting, kDialHours);
}

std::optional<bool> switchOf(const QString& tollSetting) {
    if (tollSetting.startsWith(kOn))
        return true;
    if (tollSetting.startsWith(kOff))
        return false;
    return std::nullopt;
}

std::optional<Sound> soundOf(const QString& tollSetting) {
    if (tollSetting.isEmpty())
        return std::nullopt;
    const QChar last = tollSetting.back().toUpper();
    for (const Sound s : {Sound::A, Sound::B, Sound::C}) {
        if (last == letter(s))
            return s;
    }
    return std::nullopt;
}

QString withSwitch(const QString& tollSetting, bool on) {
    return QString(on ? kOn : kOff) + prefixOf(tollSetting);
}

QString withSound(const QString& tollSetting, const QString& programFolder, Sound sound) {
    // Before start-up hands a setting in there is no switch to carry over; off is the safe reading.
    const QString sw = tollSetting.isEmpty() ? QString(kOff) : tollSetting.left(1);
    return sw + prefix(programFolder, sound);
}

}  // namespace quel::chime
