#pragma once

#include <QCalendarWidget>
#include <QColor>

#include "calendar/school_calendar.h"

namespace quel {

// The colour of each kind of day, shared by the month view and its legend.
QColor dayKindColor(DayKind kind);
// The band under each day that shows its season or term: one colour per season name.
QColor seasonBandColor(const QString& season);

// A month of days, each coloured by what the calendar chose for it, the season as a band along the
// bottom. Qt's calendar gives the keyboard: arrows move the day, Page Up and Page Down the month.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthView(QWidget* parent = nullptr);
    void setCalendar(const SchoolCalendar* calendar);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;

private:
    const SchoolCalendar* calendar_ = nullptr;
};

}  // namespace quel
