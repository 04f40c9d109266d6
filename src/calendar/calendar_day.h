#pragma once

#include <QDate>
#include <QObject>
#include <functional>

#include "calendar/school_calendar.h"

namespace quel {

// Keeps the choice of today's table: made when asked at start, again whenever the date of the clock
// it is handed has changed (checked on every tick, so midnight, a sleep over several days and a
// whole-hour clock change all count), after a re-sync and whenever the calendar changes. The choice
// depends on the date alone, so a program that was not running across a switch picks on its next
// start what it would have picked at the switch.
class CalendarDay : public QObject {
    Q_OBJECT
public:
    // `today` gives the program clock's date (the program clock may stand apart from the system's).
    CalendarDay(std::function<QDate()> today, QObject* parent = nullptr);

    const DayPlan& plan() const { return plan_; }
    QDate date() const { return date_; }

public slots:
    // Called every tick: chooses anew only when the date moved.
    void check();
    // After a re-sync, or at start: chooses even if the date looks unchanged.
    void recheck();
    void setCalendar(const SchoolCalendar& calendar);

signals:
    // A new day, or a calendar change that alters today, chose a plan. Not sent when a re-check
    // finds the same day and plan: the switches of table the tick made within the day then stand.
    void chosen(const QDate& date, const DayPlan& plan);

private:
    void choose(bool force);

    std::function<QDate()> today_;
    SchoolCalendar calendar_;
    QDate date_;
    DayPlan plan_;
};

}  // namespace quel
