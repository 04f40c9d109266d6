#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "platform/settings_store.h"

namespace quel {

class Files;
class LineIn;

// Where the radio comes from, as 线路设置 saved it.
struct RadioSetting {
    bool setUp = false;
    QString source;  // the input's name; empty: the default input
    friend bool operator==(const RadioSetting&, const RadioSetting&) = default;
};

namespace radio {
// Radio.txt holds 1 while the line is not set up and 0 once an input was chosen; the Windows version
// kept a count of key presses there, and any count but 1 meant set up. A file that holds no number
// at all counts as not set up: an unset radio must never put the default input, usually a
// microphone, on the school's loudspeakers.
RadioSetting settingOf(std::optional<qint16> radioNumber, const QString& source);
constexpr int kNotSetUp = 1;
constexpr int kSetUp = 0;
}  // namespace radio

// The radio entries of the schedule: 收音机开 makes the radio heard, 收音机关 silences it, each as often
// as it fires. The setting is read once, when the program starts, and changed only by `save`.
class RadioControl : public QObject {
    Q_OBJECT
public:
    RadioControl(LineIn& lineIn, Files& files, QString programFolder, QObject* parent = nullptr);

    // 收音机开 (true) and 收音机关 (false).
    void radio(bool on);

    const RadioSetting& setting() const { return setting_; }
    // Writes RadioSource.txt and Radio.txt; false when either could not be written. The setting held
    // is then what the files say.
    bool save(const RadioSetting& setting);

signals:
    // A radio entry fired while the line is not set up: the operator must be told where to set it.
    void notSetUp();

private:
    RadioSetting read() const;

    LineIn& lineIn_;
    SettingsStore settings_;
    RadioSetting setting_;
};

}  // namespace quel
