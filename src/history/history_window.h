#pragma once

#include <QWidget>

#include "history/history_line.h"

class QCheckBox;
class QTreeWidget;

namespace quel {

class History;

// 历史记录: what rang and what went wrong in the last days, newest first, failures marked, with a
// switch to show the failures only. Lines recorded while it is open join at the top.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDaysShown = 7;
    enum Column { TimeColumn, KindColumn, WhatColumn, ResultColumn };

    explicit HistoryWindow(History& history, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    QCheckBox* failuresOnly() const { return failuresOnly_; }

private:
    void addRow(const HistoryEvent& event, bool atTop);
    void applyFilter();

    QTreeWidget* list_;
    QCheckBox* failuresOnly_;
};

}  // namespace quel
