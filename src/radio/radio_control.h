#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <optional>

#include "platform/line_in.h"
#include "platform/settings_store.h"

namespace quel {

class Files;

// Where the radio comes from, as 线路设置 saved it.
struct RadioSetting {
    bool setUp = false;
    QString source;  // the input's name; empty: the default input
    friend bool operator==(const RadioSetting&, const RadioSetting&) = default;
};

namespace radio {
// Radio.txt holds 1 while the line is not set up and 0 once an input was chosen; the Windows version
// kept a count of key presses there, and any count but 1 meant set up. The input is the one
// RadioSource.txt names, the default input when it names none. Anything short of both files read
// (no number, RadioSource.txt missing or unreadable, as in a folder copied from the Windows version,
// which never wrote one) counts as not set up: only an operator's choice may put the default input,
// usually a microphone, on the school's loudspeakers.
RadioSetting settingOf(std::optional<qint16> radioNumber, const std::optional<QString>& source);
constexpr int kNotSetUp = 1;
constexpr int kSetUp = 0;
}  // namespace radio

// The radio entries of the schedule: 收音机开 makes the radio heard, 收音机关 silences it, each as often
// as it fires. The setting is read once, when the program starts, and changed only by `save`.
class RadioControl : public QObject {
    Q_OBJECT
public:
    RadioControl(LineIn& lineIn, Files& files, QString programFolder, QObject* parent = nullptr);

    // 收音机开 (true) and 收音机关 (false), answered by `switched`.
    void radio(bool on);
    // The sound server's inputs, answered by `sourcesListed`.
    void listSources();

    const RadioSetting& setting() const { return setting_; }
    // Writes RadioSource.txt and Radio.txt; false when either could not be written. The setting held
    // is then what the files say.
    bool save(const RadioSetting& setting);

signals:
    // A radio entry fired while the line is not set up: the operator must be told where to set it.
    void notSetUp();
    // One per `radio`, later, from the event loop: `failure` is empty when the radio is now as asked.
    void switched(bool on, const QString& failure);
    void sourcesListed(const QList<quel::InputSource>& sources);

private:
    RadioSetting read() const;
    void answered(bool ok, const QString& failure);
    void post(bool on, const QString& failure);

    LineIn& lineIn_;
    SettingsStore settings_;
    RadioSetting setting_;
    // What each request still unanswered was for, in order: an entry's on or off, or nothing for the
    // silencing a save does.
    std::deque<std::optional<bool>> asked_;
};

}  // namespace quel
