#include "engine/next_entry.h"

#include <algorithm>

#include "engine/recurrence.h"
#include "schedule/entry_grammar.h"

namespace quel {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;
constexpr int kHoursPerDay = 24;

// The value of two ASCII digits at `at`, or -1.
int twoDigits(QStringView text, qsizetype at) {
    const char16_t a = text[at].unicode();
    const char16_t b = text[at + 1].unicode();
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return -1;
    return (a - u'0') * 10 + (b - u'0');
}

// The Time of an entry: the text before its first "*".
std::optional<int> secondOfEntry(QStringView entry) {
    const qsizetype star = entry.indexOf(grammar::kAfterTime);
    if (star < 0)
        return std::nullopt;
    return entrySecond(entry.first(star));
}

QString timeLeft(int seconds) {
    if (seconds < kSecondsPerMinute)
        return QString::number(seconds) + QStringLiteral("秒");
    const int minutes = seconds / kSecondsPerMinute;
    if (minutes < kMinutesPerHour)
        return QString::number(minutes) + QStringLiteral("分钟");
    const int hours = minutes / kMinutesPerHour;
    const int rest = minutes % kMinutesPerHour;
    QString text = QString::number(hours) + QStringLiteral("小时");
    if (rest != 0)
        text += QString::number(rest) + QStringLiteral("分钟");
    return text;
}

}  // namespace

std::optional<int> entrySecond(QStringView time) {
    // "H:MM:SS" or "HH:MM:SS", the hour without a leading zero.
    const qsizetype hourDigits = time.size() - 6;
    if (hourDigits != 1 && hourDigits != 2)
        return std::nullopt;
    if (time[hourDigits] != u':' || time[hourDigits + 3] != u':')
        return std::nullopt;
    int hour = 0;
    if (hourDigits == 1) {
        const char16_t h = time[0].unicode();
        if (h < u'0' || h > u'9')
            return std::nullopt;
        hour = h - u'0';
    } else {
        hour = twoDigits(time, 0);
        if (hour < 10 || hour >= kHoursPerDay)
            return std::nullopt;
    }
    const int minute = twoDigits(time, hourDigits + 1);
    const int second = twoDigits(time, hourDigits + 4);
    if (minute < 0 || minute >= kMinutesPerHour || second < 0 || second >= kSecondsPerMinute)
        return std::nullopt;
    return (hour * kMinutesPerHour + minute) * kSecondsPerMinute + second;
}

QList<DueEntry> dueBetween(const QStringList& entries, const QDate& day, int from, int to, int ringsAs) {
    QList<DueEntry> due;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::optional<int> second = secondOfEntry(entries[i]);
        if (!second || *second < from || *second > to)
            continue;
        if (responseMarkWhenHolds(entries[i], day, ringsAs))
            due.append({*second, i});
    }
    // By time, and within a second by place in the table; then only the first of each second stays.
    std::stable_sort(due.begin(), due.end(),
                     [](const DueEntry& a, const DueEntry& b) { return a.second < b.second; });
    due.erase(std::unique(due.begin(), due.end(),
                          [](const DueEntry& a, const DueEntry& b) { return a.second == b.second; }),
              due.end());
    return due;
}

std::optional<DueEntry> nextDue(const QStringList& entries, const ProgramClock& clock, const QDate& day,
                                int ringsAs) {
    const int now = secondOfDay(clock);
    std::optional<DueEntry> best;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::optional<int> second = secondOfEntry(entries[i]);
        // An entry of the same second as the best so far comes later in the table: it would not fire.
        if (!second || *second <= now || (best && *second >= best->second))
            continue;
        if (responseMarkWhenHolds(entries[i], day, ringsAs))
            best = DueEntry{*second, i};
    }
    return best;
}

QString nextEntryText(const QString& entry, int secondsLeft) {
    const EntryFields fields = splitEntry(entry);
    const bool commented = !fields.comment.isEmpty() && fields.comment != grammar::kNoComment;
    return QStringLiteral("下一项 ") + fields.time + QLatin1Char(' ') +
           (commented ? fields.comment : fields.response) + QStringLiteral("（还有") +
           timeLeft(std::max(0, secondsLeft)) + QStringLiteral("）");
}

ProgramClock clockAtSecond(int second) {
    return {second / (kMinutesPerHour * kSecondsPerMinute), second / kSecondsPerMinute % kMinutesPerHour,
            second % kSecondsPerMinute};
}

int secondOfDay(const ProgramClock& clock) {
    return (clock.hour * kMinutesPerHour + clock.minute) * kSecondsPerMinute + clock.second;
}

}  // namespace quel
