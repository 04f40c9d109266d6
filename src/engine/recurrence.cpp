#include "engine/recurrence.h"

#include "schedule/entry_grammar.h"

namespace quel {

namespace {

using grammar::kDayMark;
using grammar::kEveryDay;
using grammar::kMonthly;
using grammar::kMonthMark;
using grammar::kWeekdays;
using grammar::kYearly;
constexpr int kDaysPerWeek = 7;

// Where the month number starts in a yearly ("每年9月1日") and in a one-date ("2004年9月1日") Attribute.
constexpr qsizetype kYearlyMonthStart = 2;
constexpr qsizetype kDateYearLength = 4;
constexpr qsizetype kDateMonthStart = 5;

std::optional<int> number(QStringView text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool equalsNumber(QStringView text, int expected) {
    const std::optional<int> value = number(text);
    return value && *value == expected;
}

// Month from `monthStart` up to the first 月, day between the first 月 and the first 日.
bool monthAndDayMatch(QStringView attribute, qsizetype monthStart, const QDate& today) {
    const qsizetype monthMark = attribute.indexOf(kMonthMark);
    const qsizetype dayMark = attribute.indexOf(kDayMark);
    if (monthMark < monthStart || dayMark <= monthMark)
        return false;
    return equalsNumber(attribute.sliced(monthStart, monthMark - monthStart), today.month()) &&
           equalsNumber(attribute.sliced(monthMark + 1, dayMark - monthMark - 1), today.day());
}

}  // namespace

QString weekdayName(const QDate& date) {
    return kWeekdays[date.dayOfWeek() % kDaysPerWeek];
}

bool recurrenceHolds(QStringView attribute, const QDate& today, int ringsAs) {
    if (attribute == kEveryDay)
        return true;
    const int weekday = ringsAs != 0 ? ringsAs : today.dayOfWeek();
    for (std::size_t day = 0; day < kWeekdays.size(); ++day) {
        if (attribute == kWeekdays[day])
            return weekday % kDaysPerWeek == int(day);
    }
    if (attribute.startsWith(kMonthly)) {
        QString rest = attribute.toString();
        rest.remove(kMonthly).remove(kDayMark);
        return equalsNumber(rest, today.day());
    }
    if (attribute.startsWith(kYearly))
        return monthAndDayMatch(attribute, kYearlyMonthStart, today);
    if (attribute.size() < kDateYearLength || !equalsNumber(attribute.first(kDateYearLength), today.year())) {
        return false;
    }
    return monthAndDayMatch(attribute, kDateMonthStart, today);
}

std::optional<qsizetype> responseMarkWhenHolds(QStringView entry, const QDate& day, int ringsAs) {
    const qsizetype gt = entry.indexOf(grammar::kAfterComment);
    const qsizetype lt = entry.indexOf(grammar::kAfterAttribute);
    if (gt < 0 || lt < gt)
        return std::nullopt;
    if (!recurrenceHolds(entry.sliced(gt + 1, lt - gt - 1), day, ringsAs))
        return std::nullopt;
    return lt;
}

std::optional<QString> dueResponse(const QString& entry, const QString& clockText, const QDate& today,
                                   int ringsAs) {
    const qsizetype star = entry.indexOf(grammar::kAfterTime);
    if (star < 0 || QStringView(entry).first(star) != clockText)
        return std::nullopt;
    // The Time equals the clock text, which holds no separator, so the others lie after the "*".
    const std::optional<qsizetype> lt = responseMarkWhenHolds(entry, today, ringsAs);
    if (!lt)
        return std::nullopt;
    return entry.mid(*lt + 1);
}

}  // namespace quel
