#include "calendar/school_calendar.h"

#include "platform/files.h"

namespace quel {

namespace {

constexpr int kLookAheadDays = 366;

// The start of the occurrence of `e` that holds `date`, or an invalid date.
QDate occurrenceHolding(const SchoolEvent& e, const QDate& date) {
    if (date < e.start) {
        return {};
    }
    if (!e.yearly) {
        return date < e.end ? e.start : QDate();
    }
    // An occurrence may run over New Year (10月1日–4月30日), so the one of the year before may hold it.
    const int years = date.year() - e.start.year();
    for (int k : {years, years - 1}) {
        if (k < 0) {
            continue;
        }
        const QDate s = e.start.addYears(k);
        if (s <= date && date < e.end.addYears(k)) {
            return s;
        }
    }
    return {};
}

}  // namespace

QString weekdayName(int weekday) {
    static const char16_t* const names[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                            u"星期五", u"星期六", u"星期日"};
    return weekday >= 1 && weekday <= 7 ? QString::fromUtf16(names[weekday - 1]) : QString();
}

QString describe(const DayPlan& plan) {
    if (plan.kind == DayKind::Default) {
        return {};
    }
    QString text = plan.reason;
    if (plan.silent) {
        return text + QStringLiteral("，不打铃");
    }
    if (plan.kind == DayKind::MakeUpWorkday) {
        return text + QStringLiteral("，按") + weekdayName(plan.weekday);
    }
    if (!plan.table.isEmpty()) {
        text += QStringLiteral("（%1）").arg(fileNamePart(plan.table));
    }
    return text;
}

SchoolCalendar::SchoolCalendar(SchoolEvents school, NationalCalendar national, bool nationalOn,
                               QString tablesFolder)
    : school_(std::move(school)),
      national_(std::move(national)),
      nationalOn_(nationalOn),
      tablesFolder_(std::move(tablesFolder)) {
    buildIndex();
}

QString SchoolCalendar::resolveTable(const QString& table) const {
    if (table.isEmpty() || table.contains(QLatin1Char('/'))) {
        return table;
    }
    return tablesFolder_ + QLatin1Char('/') + table;
}

// Of the events of one kind that hold the date, the one whose occurrence began last is the most
// particular (a term inside a season); on a tie the one added later wins.
namespace {
bool moreParticular(const QDate& start, int index, const QDate& bestStart, int best) {
    return best < 0 || start > bestStart || (start == bestStart && index > best);
}
constexpr qint64 kLongestIndexedDays = 400;
}  // namespace

void SchoolCalendar::buildIndex() {
    for (int i = 0; i < school_.events.size(); ++i) {
        const SchoolEvent& e = school_.events[i];
        Index& index = index_[static_cast<int>(e.category)];
        if (e.yearly || !e.start.isValid() || e.start.daysTo(e.end) > kLongestIndexedDays) {
            index.walked.push_back(i);
            continue;
        }
        for (QDate d = e.start; d < e.end; d = d.addDays(1)) {
            auto it = index.days.find(d.toJulianDay());
            if (it == index.days.end()) {
                index.days.insert(d.toJulianDay(), i);
            } else if (moreParticular(e.start, i, school_.events[it.value()].start, it.value())) {
                it.value() = i;
            }
        }
    }
}

const SchoolEvent* SchoolCalendar::covering(SchoolCategory category, const QDate& date) const {
    const Index& index = index_[static_cast<int>(category)];
    int best = -1;
    QDate bestStart;
    if (auto it = index.days.constFind(date.toJulianDay()); it != index.days.cend()) {
        best = it.value();
        bestStart = school_.events[best].start;
    }
    for (int i : index.walked) {
        const QDate s = occurrenceHolding(school_.events[i], date);
        if (s.isValid() && moreParticular(s, i, bestStart, best)) {
            best = i;
            bestStart = s;
        }
    }
    return best < 0 ? nullptr : &school_.events[best];
}

DayPlan SchoolCalendar::basePlan(const QDate& date) const {
    DayPlan plan;
    plan.weekday = date.dayOfWeek();
    if (const SchoolEvent* season = covering(SchoolCategory::Season, date)) {
        plan.kind = DayKind::Season;
        plan.reason = season->summary;
        if (season->table) {
            plan.silent = season->table->isEmpty();
            plan.table = resolveTable(*season->table);
        }
    }
    return plan;
}

DayPlan SchoolCalendar::dayPlan(const QDate& date) const {
    if (const SchoolEvent* o = covering(SchoolCategory::Override, date)) {
        DayPlan plan = basePlan(date);
        if (o->table) {
            plan.silent = o->table->isEmpty();
            plan.table = resolveTable(*o->table);
        } else if (plan.silent) {
            // A day told to ring as a weekday rings, even inside a silent season.
            plan.silent = false;
            plan.table.clear();
        }
        plan.kind = DayKind::Override;
        plan.reason = o->summary;
        if (o->weekday != 0) {
            plan.weekday = o->weekday;
        }
        return plan;
    }
    const SchoolEvent* vacation = covering(SchoolCategory::Vacation, date);
    const NationalDay* national = nationalOn_ ? national_.day(date) : nullptr;
    if (national && national->kind == NationalKind::Holiday) {
        DayPlan plan;
        plan.kind = DayKind::Holiday;
        plan.weekday = date.dayOfWeek();
        plan.reason = national->name;
        plan.silent = school_.holidayTable.isEmpty();
        plan.table = resolveTable(school_.holidayTable);
        return plan;
    }
    // A make-up workday that falls in the school's vacation (the Saturday before 春节 in 寒假) is a
    // workday for offices, not for a school whose pupils are away: the vacation keeps it.
    if (national && !vacation) {
        DayPlan plan = basePlan(date);
        plan.kind = DayKind::MakeUpWorkday;
        plan.reason = QStringLiteral("调休上班");
        plan.silent = false;
        if (const SchoolEvent* season = covering(SchoolCategory::Season, date);
            season && season->table && season->table->isEmpty()) {
            plan.table.clear();
        }
        plan.weekday = school_.makeUpWeekday;
        return plan;
    }
    if (vacation) {
        DayPlan plan;
        plan.kind = DayKind::Vacation;
        plan.weekday = date.dayOfWeek();
        plan.reason = vacation->summary;
        const QString table = vacation->table.value_or(QString());
        plan.silent = table.isEmpty();
        plan.table = resolveTable(table);
        return plan;
    }
    return basePlan(date);
}

std::optional<QDate> SchoolCalendar::nextChange(const QDate& from) const {
    const DayPlan today = dayPlan(from);
    for (int i = 1; i <= kLookAheadDays; ++i) {
        const QDate d = from.addDays(i);
        if (!dayPlan(d).ringsLike(today)) {
            return d;
        }
    }
    return std::nullopt;
}

std::optional<QDate> SchoolCalendar::nextRingingDay(const QDate& from) const {
    for (int i = 0; i <= kLookAheadDays; ++i) {
        const QDate d = from.addDays(i);
        if (!dayPlan(d).silent) {
            return d;
        }
    }
    return std::nullopt;
}

QString dataRunsOutText(const SchoolCalendar& calendar, const QDate& today) {
    const auto last = calendar.dataRunsOut(today);
    if (!last) {
        return {};
    }
    if (calendar.national().isEmpty()) {
        return QStringLiteral("没有节假日数据，请导入");
    }
    return QStringLiteral("节假日数据只到 %1年%2月%3日，请导入新的数据")
        .arg(last->year())
        .arg(last->month())
        .arg(last->day());
}

std::optional<QDate> SchoolCalendar::dataRunsOut(const QDate& today, int days) const {
    if (!nationalOn_) {
        return std::nullopt;
    }
    if (national_.isEmpty()) {
        return today.addDays(-1);
    }
    const QDate last = national_.lastDate();
    return today.addDays(days) > last ? std::optional<QDate>(last) : std::nullopt;
}

}  // namespace quel
