#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "engine/alarm_rules.h"
#include "platform/platform.h"

class QAction;
class QMenu;

namespace quel {

// The alarm menu 闹铃: the count-down's unit (`timeset.txt`) and the alarm sound (`Userwav.txt`), and
// the one place that sounds the alarm. It also keeps the rule that the tone component's file name is
// empty exactly while it is idle.
class Alarm : public QObject {
    Q_OBJECT
public:
    // `tone` is the main window's component for tones and alarm sounds.
    Alarm(Platform& platform, Media& tone, QObject* parent = nullptr);
    ~Alarm() override;

    QMenu* alarmMenu() const { return menu_.get(); }

    // Start-up hands in the value read from `timeset.txt` ("hour", "minute" or "second"). Anything else
    // counts in minutes and shows "计时:分" on 单位设置; the result is then false and the caller rewrites
    // the file with "minute".
    bool applyAlarmUnit(const QString& stored);
    // Start-up hands in the value read from `Userwav.txt` and the built-in sound's path. An empty value
    // falls back to the built-in sound; the result is then false and the caller rewrites the file.
    bool applyRings(const QString& userRing, const QString& defaultRing);

    alarm::Unit unit() const { return unit_; }
    QString userRing() const { return userRing_; }
    QString defaultRing() const { return defaultRing_; }

    // Sounds the alarm once on the tone component; a tone still playing gives way to it.
    void ring();

private:
    void chooseUnit(alarm::Unit unit);
    void tickUnit(alarm::Unit unit);
    void useDefaultRing();
    void chooseRing();
    void showRing();
    void saveRing();

    Files& files_;
    Dialogs& dialogs_;
    QString programFolder_;
    Media& tone_;

    alarm::Unit unit_ = alarm::Unit::Minute;
    QString userRing_;
    QString defaultRing_;

    std::unique_ptr<QMenu> menu_;
    QMenu* unitMenu_ = nullptr;
    QAction* second_ = nullptr;
    QAction* minute_ = nullptr;
    QAction* hour_ = nullptr;
    QAction* currentRing_ = nullptr;
    QAction* defaultRingItem_ = nullptr;
};

}  // namespace quel
