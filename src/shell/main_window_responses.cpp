// The responses the tick hands to the main window. Those whose windows come later (broadcast, radio,
// power-off, spoken time) are accepted and do nothing yet.

#include <QLabel>
#include <QPushButton>

#include "engine/alarm_panel.h"
#include "engine/chime.h"
#include "shell/main_window.h"

namespace quel {

void MainWindow::broadcastStaticOn(int) {}
void MainWindow::broadcastDynamicOn(int) {}
void MainWindow::broadcastOff() {}
void MainWindow::switchRadio() {}
void MainWindow::powerOff(PowerAction) {}
void MainWindow::sayTime(Voice, const ProgramClock&) {}

void MainWindow::playTone(const QString& path) {
    ToneFile = path;
    tone_->click();
}

void MainWindow::hourlyChime(const ProgramClock& clock) {
    chime_->hourlyChime(clock);
}

void MainWindow::alarmStep(const ProgramClock& clock) {
    alarmPanel_->alarmStep(clock);
}

void MainWindow::showStatus(const QString& line) {
    status_->setText(line);
}

}  // namespace quel
