#include "schedule/list_filter.h"

namespace quel {

namespace {

// The recurrence forms are told apart by fixed character positions, not by parsing: a hand-edited
// attribute that happens to fit a position still shows under that filter.
bool isWeekday(const QString& attribute) {
    // "星期" plus exactly one weekday character.
    return attribute.size() == 3 && attribute.startsWith(QStringLiteral("星期"));
}

bool isOneDate(const QString& attribute) {
    constexpr qsizetype kYearMarkIndex = 4;  // after a four-character year
    return attribute.size() > kYearMarkIndex && attribute[kYearMarkIndex] == QChar(u'年');
}

}  // namespace

bool passesFilter(ListFilter filter, const EntryFields& f) {
    switch (filter) {
        case ListFilter::All:
            return true;
        case ListFilter::EveryDay:
            return f.attribute == QStringLiteral("每天");
        case ListFilter::Weekday:
            return isWeekday(f.attribute);
        case ListFilter::EveryMonth:
            return f.attribute.startsWith(QStringLiteral("每月"));
        case ListFilter::EveryYear:
            return f.attribute.startsWith(QStringLiteral("每年"));
        case ListFilter::OneDate:
            return isOneDate(f.attribute);
        case ListFilter::Broadcast:
            return f.response.startsWith(QStringLiteral("播音"));
        case ListFilter::Shutdown:
            return f.response.startsWith(QStringLiteral("关机"));
        case ListFilter::Restart:
            return f.response.startsWith(QStringLiteral("重启"));
        case ListFilter::Logoff:
            return f.response.startsWith(QStringLiteral("注销"));
        case ListFilter::RunProgram:
            return f.response.startsWith(QStringLiteral("执行程序"));
        case ListFilter::OpenTable:
            return f.response.startsWith(QStringLiteral("打开表"));
        case ListFilter::Calibrate:
            return f.response.startsWith(QStringLiteral("校时"));
        case ListFilter::Radio:
            return f.response.startsWith(QStringLiteral("收音机"));
    }
    return false;
}

}  // namespace quel
