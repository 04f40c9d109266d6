#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace quel {

class Alarm;
class Chime;

// 敲钟: the hourly chime's switch and sound, and a preview. The ticks show the chime's setting; a click
// on the ticked item keeps it ticked and writes nothing.
class ChimeMenu : public QObject {
    Q_OBJECT
public:
    ChimeMenu(Chime& chime, QObject* parent = nullptr);
    ~ChimeMenu() override;
    QMenu* menu() const { return menu_; }

private:
    void show();

    Chime& chime_;
    QMenu* menu_;
    QAction* on_;
    QAction* off_;
    QAction* soundA_;
    QAction* soundB_;
    QAction* soundC_;
};

// 闹铃: the count-down's unit, the alarm sound, and playing or stopping it. The caption names the unit
// in use once it is known.
class AlarmMenu : public QObject {
    Q_OBJECT
public:
    AlarmMenu(Alarm& alarm, QObject* parent = nullptr);
    ~AlarmMenu() override;
    QMenu* menu() const { return menu_; }

private:
    void show();

    Alarm& alarm_;
    QMenu* menu_;
    QMenu* unitMenu_;
    QAction* second_;
    QAction* minute_;
    QAction* hour_;
    QAction* currentRing_;
    QAction* defaultRing_;
};

}  // namespace quel
