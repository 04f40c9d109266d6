#include "calendar/calendar_day.h"

namespace quel {

CalendarDay::CalendarDay(std::function<QDate()> today, QObject* parent)
    : QObject(parent), today_(std::move(today)) {}

void CalendarDay::check() {
    choose(false);
}

void CalendarDay::recheck() {
    choose(true);
}

void CalendarDay::setCalendar(const SchoolCalendar& calendar) {
    calendar_ = calendar;
    choose(true);
}

void CalendarDay::choose(bool force) {
    const QDate now = today_();
    if (!force && now == date_) {
        return;
    }
    DayPlan plan = calendar_.dayPlan(now);
    // A re-check that finds the same day with the same plan changes nothing: the tick's own switches
    // of table within the day stand until the next midnight.
    if (now == date_ && plan == plan_) {
        return;
    }
    date_ = now;
    plan_ = std::move(plan);
    emit chosen(date_, plan_);
}

}  // namespace quel
