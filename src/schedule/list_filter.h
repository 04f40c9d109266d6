#pragma once

#include <QString>
#include <array>

#include "schedule/entry_grammar.h"

namespace quel {

// Which entries the schedule list shows. Each filter is one option of the list filter group.
enum class ListFilter {
    All,
    EveryDay,
    Weekday,
    EveryMonth,
    EveryYear,
    OneDate,
    Broadcast,
    Shutdown,
    Restart,
    Logoff,
    RunProgram,
    OpenTable,
    Calibrate,
    Radio,
};

struct ListFilterOption {
    ListFilter filter;
    const char* objectName;
    QString caption;
};

inline constexpr std::size_t kListFilterCount = 14;

// The options in the order the panel shows them.
inline const std::array<ListFilterOption, kListFilterCount> kListFilterOptions = {{
    {ListFilter::All, "Option8", QStringLiteral("全部")},
    {ListFilter::EveryDay, "Option9", QStringLiteral("每天")},
    {ListFilter::Weekday, "Option10", QStringLiteral("星期")},
    {ListFilter::EveryMonth, "Option11", QStringLiteral("每月")},
    {ListFilter::EveryYear, "Option12", QStringLiteral("每年")},
    {ListFilter::OneDate, "Option13", QStringLiteral("特定")},
    {ListFilter::Broadcast, "Option16", QStringLiteral("播音")},
    {ListFilter::Shutdown, "Option18", QStringLiteral("关机")},
    {ListFilter::Restart, "Option24", QStringLiteral("重启")},
    {ListFilter::Logoff, "Option25", QStringLiteral("注销")},
    {ListFilter::RunProgram, "Option26", QStringLiteral("执行程序")},
    {ListFilter::OpenTable, "Option28", QStringLiteral("打开表")},
    {ListFilter::Calibrate, "Option31", QStringLiteral("校时")},
    {ListFilter::Radio, "Option34", QStringLiteral("收音机")},
}};

bool passesFilter(ListFilter filter, const EntryFields& fields);

}  // namespace quel
