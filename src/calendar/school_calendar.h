#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <array>
#include <optional>

#include "calendar/national_calendar.h"
#include "calendar/school_events.h"

namespace quel {

// Why a day rings the way it does: the layer that decided, highest first.
enum class DayKind {
    Override,       // 调整: the operator set this day
    Holiday,        // a statutory holiday
    MakeUpWorkday,  // 调休上班
    Vacation,       // 寒假, 暑假
    Season,         // 夏季作息, a term
    Default,        // nothing applies: the default table, as without a calendar
};

// The table of one day and the reason for it.
struct DayPlan {
    DayKind kind = DayKind::Default;
    bool silent = false;
    QString table;    // the path of the table to ring; empty for the default table (or when silent)
    int weekday = 0;  // 1 = Monday … 7 = Sunday: what the day's 星期 entries ring as
    QString reason;   // 国庆节, 调休上班, 寒假, 夏季作息, 运动会; empty for the default table
    bool operator==(const DayPlan&) const = default;
    // Whether two days ring alike (the same table, or both silent), whatever the reason.
    bool ringsLike(const DayPlan& o) const { return silent == o.silent && table == o.table; }
};

// "国庆节，不打铃", "调休上班，按星期一", "夏季作息（Summer.DTT）"; empty for the default table.
QString describe(const DayPlan& plan);
QString weekdayName(int weekday);  // 星期一 … 星期日
class SchoolCalendar;
// "节假日数据只到 2026年12月31日，请导入新的数据" when the national data runs out within 30 days of
// `today`; empty otherwise. The window, the tray and the history say the same.
QString dataRunsOutText(const SchoolCalendar& calendar, const QDate& today);

// Chooses each day's table from the school's events and the state's calendar. Widget-free and
// without a clock: the date is always handed in, so a start after days off finds the same answer as
// a program that ran through them.
class SchoolCalendar {
public:
    SchoolCalendar() = default;
    // `tablesFolder` resolves a bare table name (Summer.DTT) to DayTimeTable/Summer.DTT.
    SchoolCalendar(SchoolEvents school, NationalCalendar national, bool nationalOn, QString tablesFolder);

    DayPlan dayPlan(const QDate& date) const;
    // Whether anything is set up at all; without it every day is the default table.
    bool isSetUp() const { return nationalOn_ || !school_.events.isEmpty(); }

    // The first day after `from` that rings unlike `from`, within a year; nullopt when none.
    std::optional<QDate> nextChange(const QDate& from) const;
    // The first day from `from` on that rings at all, within a year; nullopt when none.
    std::optional<QDate> nextRingingDay(const QDate& from) const;
    // When the national calendar is on and its data ends within `days` of `today`: the last date it
    // knows; otherwise nullopt.
    std::optional<QDate> dataRunsOut(const QDate& today, int days = 30) const;

    const SchoolEvents& school() const { return school_; }
    const NationalCalendar& national() const { return national_; }
    bool nationalOn() const { return nationalOn_; }
    QString resolveTable(const QString& table) const;
    // The season or term that holds the date, whatever layer decides the day.
    const SchoolEvent* seasonOf(const QDate& date) const { return covering(SchoolCategory::Season, date); }

private:
    const SchoolEvent* covering(SchoolCategory category, const QDate& date) const;
    DayPlan basePlan(const QDate& date) const;

    // Per category: the days of short one-off events, looked up at once, and the yearly and long
    // events, few, walked through. Built once, so a date is chosen in a few lookups however many
    // single days the operator set.
    struct Index {
        QHash<qint64, int> days;  // Julian day -> event index
        QList<int> walked;
    };
    void buildIndex();

    SchoolEvents school_;
    std::array<Index, 3> index_;
    NationalCalendar national_;
    bool nationalOn_ = false;
    QString tablesFolder_;
};

}  // namespace quel
