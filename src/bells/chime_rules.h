#pragma once

#include <QString>
#include <optional>

namespace quel::chime {

enum class Sound { A, B, C };

// The hour the bell strikes on a 12-hour dial: 0 and 12 strike twelve, 13 strikes one.
int dialHour(int hour);

// The chime setting is one text: a switch character, then the path prefix of the chosen sound's files.
inline const QChar kOn = QChar(0x5F00);   // 开
inline const QChar kOff = QChar(0x5173);  // 关

// programFolder + "/toll/A/A" for sound A: the prefix that the hour number and ".WAV" complete.
QString prefix(const QString& programFolder, Sound sound);
// The file the bell plays for dial hour n (1..12) under the setting.
QString soundFile(const QString& tollSetting, int n);
// The file 试听钟声 plays: the twelve-stroke recording of the chosen sound.
QString previewFile(const QString& tollSetting);

// True for 开, false for 关, nullopt for anything else (an empty setting included).
std::optional<bool> switchOf(const QString& tollSetting);
// The sound named by the setting's last character, upper-cased; nullopt when it names none.
std::optional<Sound> soundOf(const QString& tollSetting);

QString withSwitch(const QString& tollSetting, bool on);
QString withSound(const QString& tollSetting, const QString& programFolder, Sound sound);

}  // namespace quel::chime
