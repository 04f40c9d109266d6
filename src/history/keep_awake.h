#pragma once

#include <QObject>
#include <QString>

#include "platform/settings_names.h"
#include "platform/settings_store.h"

namespace quel {

class SleepInhibitor;

// A switch of the menus kept in a settings file of its own as "YES" or "NO". A missing or unreadable
// file, or any other text, reads as the switch's default.
bool readSwitch(const SettingsStore& settings, const QString& name, bool byDefault);
bool writeSwitch(const SettingsStore& settings, const QString& name, bool on);

// 保持唤醒: while on, the desktop's automatic suspend is held off so the bells are not silenced. On by
// default; the choice lives in `KeepAwake.txt`.
class KeepAwake : public QObject {
    Q_OBJECT
public:
    KeepAwake(SleepInhibitor& inhibitor, SettingsStore settings, QObject* parent = nullptr);

    // Start-up: reads the choice and takes the hold when it is on.
    void load();
    bool isOn() const { return on_; }
    // The operator's choice: written, then the hold taken or let go. False, and nothing changed, when
    // it could not be written: the next start would not know it.
    bool setOn(bool on);
    QString settingPath() const { return settings_.pathForWriting(settings::kKeepAwake); }

private:
    SleepInhibitor& inhibitor_;
    SettingsStore settings_;
    bool on_ = true;
};

}  // namespace quel
