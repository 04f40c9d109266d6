#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "power/power_off.h"

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quel {

// One confirmation window: FormShutDownWindows, FormRestartWindows or FormLogoff. It shows its kind's
// count-down and forwards the buttons and the close box (which is 取消) to the controller. It has no
// parent and is never a dialog's parent, so no box of another window can block its 取消.
class PowerOffWindow : public QWidget {
    Q_OBJECT
public:
    PowerOffWindow(PowerOff& controller, PowerAction kind);
    void showCountdown(const PowerOff::Countdown& countdown);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PowerOff& controller_;
    PowerAction kind_;
    QString waitText_;
    QString failedText_;
    QProgressBar* bar_;    // ProgressBar1
    QLabel* text_;         // Label1
    QLabel* maximum_;      // Label3
    QLabel* left_;         // Label4
    QPushButton* actNow_;  // Command1
};

// Opens, updates, raises and closes the three windows as the controller's state says.
class PowerOffWindows : public QObject {
    Q_OBJECT
public:
    explicit PowerOffWindows(PowerOff& controller, QObject* parent = nullptr);
    ~PowerOffWindows() override;
    PowerOffWindow* window(PowerAction kind) const { return windows_[static_cast<int>(kind)]; }

private:
    void refresh(PowerAction kind);
    void bringForward(PowerAction kind);

    PowerOff& controller_;
    std::array<QPointer<PowerOffWindow>, 3> windows_;
};

}  // namespace quel
