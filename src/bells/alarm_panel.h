#pragma once

#include <QWidget>

#include "bells/alarm.h"
#include "bells/alarm_countdown.h"
#include "schedule/program_clock.h"

class QComboBox;
class QLabel;

namespace quel {

// The main window's alarm inputs: the alarm time (顺计时, `Combo2` to `Combo4`) and the count-down
// (倒计时, `Combo1` with its display `Label3`). The sound and the unit come from the alarm menu.
class AlarmPanel : public QWidget {
    Q_OBJECT
public:
    explicit AlarmPanel(Alarm& alarm, QWidget* parent = nullptr);

    // Start-up: fills the pick lists and leaves every input empty, so no alarm time and no count-down
    // is set.
    void fillLists();

    // Ticks that fire no entry: rings at the alarm time (once; the time is then cleared) and advances
    // the count-down.
    void alarmStep(const ProgramClock& clock);

    const alarm::CountDown& countDown() const { return countDown_; }

signals:
    // The alarm rang at its time, or the count-down reached its end.
    void alarmRang();
    void countDownEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QComboBox* makeCombo(const QString& name, const QString& tip, int minChars);
    static void fill(QComboBox* combo, int first, int last);
    static void checkTimeInput(QComboBox* combo, int max);
    void restartCountDown();

    Alarm& alarm_;
    alarm::CountDown countDown_;
    QComboBox* length_;  // Combo1
    QComboBox* hour_;    // Combo2
    QComboBox* minute_;  // Combo3
    QComboBox* second_;  // Combo4
    QLabel* display_;    // Label3
    bool leavingLength_ = false;
};

}  // namespace quel
