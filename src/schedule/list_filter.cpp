#include "schedule/list_filter.h"

namespace quel {

namespace {

// The recurrence forms are told apart by fixed character positions, not by parsing: a hand-edited
// attribute that happens to fit a position still shows under that filter.
bool isWeekday(const QString& attribute) {
    // "星期" plus exactly one weekday character.
    return attribute.size() == 3 && attribute.startsWith(grammar::kWeekdayPrefix);
}

bool isOneDate(const QString& attribute) {
    constexpr qsizetype kYearMarkIndex = 4;  // after a four-character year
    return attribute.size() > kYearMarkIndex && attribute[kYearMarkIndex] == grammar::kYearMark;
}

}  // namespace

bool passesFilter(ListFilter filter, const EntryFields& f) {
    switch (filter) {
        case ListFilter::All:
            return true;
        case ListFilter::EveryDay:
            return f.attribute == grammar::kEveryDay;
        case ListFilter::Weekday:
            return isWeekday(f.attribute);
        case ListFilter::EveryMonth:
            return f.attribute.startsWith(grammar::kMonthly);
        case ListFilter::EveryYear:
            return f.attribute.startsWith(grammar::kYearly);
        case ListFilter::OneDate:
            return isOneDate(f.attribute);
        case ListFilter::Broadcast:
            return f.response.startsWith(grammar::kBroadcastPrefix);
        case ListFilter::Shutdown:
            return f.response.startsWith(grammar::kShutdown);
        case ListFilter::Restart:
            return f.response.startsWith(grammar::kRestart);
        case ListFilter::Logoff:
            return f.response.startsWith(grammar::kLogoff);
        case ListFilter::RunProgram:
            return f.response.startsWith(grammar::kRunProgram);
        case ListFilter::OpenTable:
            return f.response.startsWith(grammar::kOpenTable);
        case ListFilter::Calibrate:
            return f.response.startsWith(grammar::kJustMyTime);
        case ListFilter::Radio:
            return f.response.startsWith(grammar::kRadioPrefix);
    }
    return false;
}

}  // namespace quel
