#pragma once

#include <QWidget>

#include "history/history_line.h"

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace quel {

class History;

// 历史记录: what rang and what went wrong in the last days, newest first, failures marked, with a
// switch to show the failures only. It opens at once and the lines come when the history's thread has
// read them; lines recorded while it is open join at the top.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDaysShown = 7;
    enum Column { TimeColumn, KindColumn, WhatColumn, ResultColumn };

    explicit HistoryWindow(History& history, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    QCheckBox* failuresOnly() const { return failuresOnly_; }
    // "正在读取…" until the lines came; then whether older ones were left out.
    QLabel* note() const { return note_; }

private:
    void addRow(const HistoryEvent& event, bool atTop);
    void showRead(quint64 request, const QList<HistoryEvent>& events, bool olderLeftOut);
    void applyFilter();

    QTreeWidget* list_;
    QCheckBox* failuresOnly_;
    QLabel* note_;
    quint64 request_ = 0;
};

}  // namespace quel
