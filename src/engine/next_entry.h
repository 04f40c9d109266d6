#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "schedule/program_clock.h"

namespace quel {

inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// An entry the tick will carry out: the second of the day it falls on and its place in the table.
struct DueEntry {
    int second = 0;
    qsizetype index = 0;
    bool operator==(const DueEntry&) const = default;
};

// The second of the day a Time names when the program clock can ever read it: "H:MM:SS" exactly as the
// clock writes itself. Another spelling (08:00:00, 8:0:0) never equals the clock text, so never fires.
std::optional<int> entrySecond(QStringView time);

// What the tick will carry out on `day` at the seconds `from` to `to` (both included), in order of
// time: per second only the first entry of the table that is due there, as the tick does.
QList<DueEntry> dueBetween(const QStringList& entries, const QDate& day, int from, int to);

// The next entry the tick will carry out on `day` after the second `clock` reads; nullopt when the day
// holds no more. One pass over the table without allocating, since it runs every second.
std::optional<DueEntry> nextDue(const QStringList& entries, const ProgramClock& clock, const QDate& day);

// "下一项 9:44:15 上课铃（还有2分钟）": the entry's Time and its comment (the Response when it has
// none) with the time left, in whole minutes from a minute on.
QString nextEntryText(const QString& entry, int secondsLeft);
// Shown when nothing more rings today.
inline const QString kNoNextEntry = QStringLiteral("下一项 无");

// The program clock at a second of the day.
ProgramClock clockAtSecond(int second);
int secondOfDay(const ProgramClock& clock);

}  // namespace quel
