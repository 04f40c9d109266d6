// The current day time table of the main window: loading it, showing its name and the 默认 button.

#include <QLabel>
#include <QPushButton>

#include "engine/clock_tick.h"
#include "schedule/schedule_list.h"
#include "shell/main_window.h"

namespace quel {

void MainWindow::loadTable(const QString& path) {
    table_.load(platform_.files, path);
    list_->setEntries(table_.entries);
}

void MainWindow::showCurrentTable() {
    const QString name = platform_.files.exists(CurrentTablePath) ? fileNamePart(CurrentTablePath) : QString();
    tableName_->setText(QStringLiteral("文件:") + name);
    tableName_->setToolTip(QStringLiteral("文件:") + CurrentTablePath);
}

void MainWindow::updateDefaultButton() {
    makeDefault_->setEnabled(!samePath(CurrentTablePath, DefaultTablePath));
    makeDefault_->setToolTip(QStringLiteral("当前默认的全天时间表文件是：") + DefaultTablePath);
}

const QStringList& MainWindow::entries() const { return table_.entries; }

void MainWindow::openTableByResponse(int entryIndex) {
    constexpr int kMaxPath = 500;
    const QString& entry = table_.entries.at(entryIndex - 1);
    const QString keyword = QStringLiteral("打开表");
    const qsizetype lt = entry.indexOf(QLatin1Char('<'));
    CurrentTablePath = entry.mid(lt + 1 + keyword.size(), kMaxPath);
    updateDefaultButton();
    showCurrentTable();
    loadTable(CurrentTablePath);
}

}  // namespace quel
