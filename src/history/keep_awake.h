#pragma once

#include <QObject>
#include <QString>

namespace quel {

class Files;
class SleepInhibitor;

// A switch of the menus kept in a settings file of its own as "YES" or "NO". A missing or unreadable
// file, or any other text, reads as the switch's default.
bool readSwitch(const Files& files, const QString& path, bool byDefault);
bool writeSwitch(Files& files, const QString& path, bool on);

// 保持唤醒: while on, the desktop's automatic suspend is held off so the bells are not silenced. On by
// default; the choice lives in `KeepAwake.txt`.
class KeepAwake : public QObject {
    Q_OBJECT
public:
    KeepAwake(SleepInhibitor& inhibitor, Files& files, QString settingPath, QObject* parent = nullptr);

    // Start-up: reads the choice and takes the hold when it is on.
    void load();
    bool isOn() const { return on_; }
    // The operator's choice: written, then the hold taken or let go. False, and nothing changed, when
    // it could not be written: the next start would not know it.
    bool setOn(bool on);
    const QString& settingPath() const { return settingPath_; }

private:
    SleepInhibitor& inhibitor_;
    Files& files_;
    QString settingPath_;
    bool on_ = true;
};

}  // namespace quel
