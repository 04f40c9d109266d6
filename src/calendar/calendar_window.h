#pragma once

#include <QWidget>
#include <functional>

#include "calendar/calendar_document.h"
#include "calendar/month_view.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QDialog;

namespace quel {

// 日历: the school's year in a month view, what the selected day rings and why, the next change, and
// the editing of vacations, seasons and overrides. It shows the document and forwards the operator's
// commands to it; it keeps no state of its own.
class CalendarWindow : public QWidget {
    Q_OBJECT
public:
    // `bells` counts the bells a table rings on a day (the shell knows the recurrence); unset, the
    // count is not shown.
    using BellCounter = std::function<int(const QString& table, const QDate& date, int weekday)>;
    CalendarWindow(CalendarDocument& document, Dialogs& dialogs, const Clock& clock, QString tablesFolder,
                   BellCounter bells = {}, QWidget* parent = nullptr);

    MonthView* monthView() const { return month_; }
    // The foreign events of an import wait here for the operator's categories; null when none.
    QDialog* mappingDialog() const { return mapping_; }

private:
    void refresh();
    void showDay();
    void showInEditor(int index);
    std::optional<SchoolEvent> eventFromEditor();
    void add();
    void change();
    void remove();
    void importSchool();
    void importNational();
    void report(const QString& refusal);

    CalendarDocument& document_;
    Dialogs& dialogs_;
    const Clock& clock_;
    QString tablesFolder_;
    BellCounter bells_;

    MonthView* month_;
    QLabel* day_;          // LabelDay
    QLabel* next_;         // LabelNext
    QLabel* warning_;      // LabelWarning
    QCheckBox* national_;  // CheckNational
    QTreeWidget* events_;  // ListEvents
    QComboBox* category_;  // ComboCategory
    QLineEdit* summary_;   // TextSummary
    QDateEdit* start_;     // DateStart
    QDateEdit* last_;      // DateEnd: the last day, inclusive as the operator counts
    QComboBox* table_;     // ComboTable
    QComboBox* weekday_;   // ComboWeekday
    QCheckBox* yearly_;    // CheckYearly
    QDialog* mapping_ = nullptr;
};

}  // namespace quel
