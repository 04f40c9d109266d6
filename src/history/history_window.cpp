#include "history/history_window.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "history/history.h"
#include "platform/named.h"

namespace quel {

namespace {
constexpr int kFailedRole = Qt::UserRole;
constexpr int kTimeWidth = 150;
constexpr int kKindWidth = 90;
constexpr int kWhatWidth = 380;
constexpr int kWidth = 820;
constexpr int kHeight = 480;
const QColor kFailureColour(0xb0, 0x00, 0x20);
}  // namespace

HistoryWindow::HistoryWindow(History& history, QWidget* parent)
    : QWidget(parent, Qt::Window),
      list_(named(new QTreeWidget, "HistoryList")),
      failuresOnly_(named(new QCheckBox(QStringLiteral("只看失败")), "HistoryFailuresOnly")),
      note_(named(new QLabel(QStringLiteral("正在读取…")), "HistoryNote")) {
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(QStringLiteral("历史记录"));
    list_->setHeaderLabels(
        {QStringLiteral("时间"), QStringLiteral("类别"), QStringLiteral("内容"), QStringLiteral("结果")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setColumnWidth(TimeColumn, kTimeWidth);
    list_->setColumnWidth(KindColumn, kKindWidth);
    list_->setColumnWidth(WhatColumn, kWhatWidth);
    list_->header()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    auto* foot = new QHBoxLayout;
    foot->addWidget(failuresOnly_);
    foot->addWidget(note_);
    foot->addStretch();
    auto* where = new QLabel(QStringLiteral("文件夹：") + history.folder());
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    foot->addWidget(where);
    layout->addLayout(foot);
    resize(kWidth, kHeight);

    connect(&history, &History::recentRead, this, &HistoryWindow::showRead);
    connect(&history, &History::recorded, this, [this](const HistoryEvent& event) { addRow(event, true); });
    request_ = history.readRecent(kDaysShown);
    connect(failuresOnly_, &QCheckBox::toggled, this, &HistoryWindow::applyFilter);
}

void HistoryWindow::addRow(const HistoryEvent& event, bool atTop) {
    auto* row = new QTreeWidgetItem(QStringList{event.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                kindLabel(event.kind), event.what, resultText(event)});
    const bool failed = event.outcome == Outcome::Failed;
    row->setData(TimeColumn, kFailedRole, failed);
    if (failed) {
        row->setIcon(ResultColumn, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        for (int c = TimeColumn; c <= ResultColumn; ++c)
            row->setForeground(c, kFailureColour);
    }
    if (atTop)
        list_->insertTopLevelItem(0, row);
    else
        list_->addTopLevelItem(row);
    row->setHidden(failuresOnly_->isChecked() && !failed);
}

// What was recorded before the window asked goes below what joined at the top since.
void HistoryWindow::showRead(quint64 request, const QList<HistoryEvent>& events, bool olderLeftOut) {
    if (request != request_)
        return;
    for (const HistoryEvent& event : events)
        addRow(event, false);
    note_->setText(
        olderLeftOut
            ? QStringLiteral("只显示了最近的%1条，更早的记录没有显示（见文件夹中的文件）").arg(events.size())
            : QString());
}

void HistoryWindow::applyFilter() {
    const bool only = failuresOnly_->isChecked();
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list_->topLevelItem(i);
        row->setHidden(only && !row->data(TimeColumn, kFailedRole).toBool());
    }
}

}  // namespace quel
