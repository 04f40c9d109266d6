#pragma once

#include <QString>
#include <QWidget>

#include "platform/settings_store.h"

class QCloseEvent;
class QLabel;
class QPushButton;
class QSlider;

namespace quel {

class ClockTick;
class Dialogs;
class Files;

// The interval window: the operator sets the tick's pace with a slider and may store it as the pace of
// the next start. Every change takes effect on the running tick at once, and the program clock is set
// to the system clock when the window opens, on every change and when it closes. Build it when the
// menu asks for it: the constructor is the window's load.
class FormJustTimeByHand : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinIntervalMs = 900;
    static constexpr int kMaxIntervalMs = 1000;

    FormJustTimeByHand(ClockTick& tick, Files& files, Dialogs& dialogs, QString programFolder,
                       QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void intervalChosen(int ms);
    void save();

    ClockTick& tick_;
    SettingsStore settings_;
    Dialogs& dialogs_;
    QSlider* Slider1;
    QLabel* Label3;
    QPushButton* Command1;
};

}  // namespace quel
