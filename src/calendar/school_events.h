#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

#include "calendar/national_calendar.h"

namespace quel {

// The three kinds of a school's own events, by their CATEGORIES in SchoolCalendar.ics.
enum class SchoolCategory {
    Vacation,  // 假期: 寒假, 暑假
    Season,    // 作息: a season or a term, usually repeating every year
    Override,  // 调整: one day (or a few) the operator set by hand
};

// The category as iCalendar files and the window name it: 假期, 作息, 调整.
QString categoryName(SchoolCategory c);

// One all-day event of the school's calendar.
struct SchoolEvent {
    SchoolCategory category = SchoolCategory::Override;
    QString summary;  // 寒假, 夏季作息, 运动会
    QDate start;
    QDate end;  // exclusive, as in iCalendar
    // A file name in DayTimeTable or a path; "" rings nothing. Unset, the table does not change: an
    // override that only says which weekday the day rings as, a season that only names a time of
    // year. A vacation without a table is silent.
    std::optional<QString> table;
    int weekday = 0;      // 1 = Monday … 7 = Sunday; 0 when the day rings as itself
    bool yearly = false;  // RRULE:FREQ=YEARLY
    QString uid;
    bool operator==(const SchoolEvent&) const = default;
};

// The school's year: its events and the choices that apply to the state's days.
struct SchoolEvents {
    QList<SchoolEvent> events;
    // The table a statutory holiday rings; "" (the usual) rings nothing.
    QString holidayTable;
    // The weekday a make-up workday's 星期 entries ring as, unless an override says otherwise.
    int makeUpWeekday = 1;
    bool operator==(const SchoolEvents&) const = default;
};

// An event of a calendar exported from another program, without our categories: the operator maps
// it to one of ours (a suggestion is made from its name) before it is merged.
struct ForeignEvent {
    QString summary;
    QString categories;
    QDate start;
    QDate end;
    bool yearly = false;
    SchoolCategory suggested = SchoolCategory::Override;
};

struct SchoolCalendarRead {
    SchoolEvents known;
    QList<ForeignEvent> foreign;
    int timedSkipped = 0;  // events at a time of day: a bell table is chosen for whole days only
};

// Reads SchoolCalendar.ics or any iCalendar file: events with the categories 假期, 作息 and 调整 are
// taken as they are, all-day events without them come back as foreign. A broken file is refused
// whole, with the message the operator reads.
std::variant<SchoolCalendarRead, CalendarError> readSchoolCalendar(const QByteArray& bytes);

// The file SchoolCalendar.ics: iCalendar, UTF-8, CR LF. `stamp` is the DTSTAMP every event needs.
QByteArray writeSchoolCalendar(const SchoolEvents& school, const QDateTime& stamp);

// The event a foreign one becomes under the category the operator confirmed (holding no table yet:
// silent for a vacation, the default table's rules for the rest).
SchoolEvent adoptForeign(const ForeignEvent& foreign, SchoolCategory category);

// A school calendar file of any sensible size is far below this.
inline constexpr qint64 kSchoolFileCap = 4 * 1024 * 1024;

}  // namespace quel
