#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

namespace quel {

// What one day rings as, for a chooser of tables the tick knows nothing of: a silent day carries out
// no entry of the table; a day that rings as another weekday matches that weekday's entries.
struct DayRule {
    int ringsAs = 0;  // 1 = Monday … 7 = Sunday; 0, the day's own
    bool silent = false;
};

// Whether an entry's Attribute lets it fire on `today`. The forms are tried in a fixed order (every
// day, one weekday, monthly, yearly, one date) and the first form the Attribute has decides. Numbers
// compare by value, so 每月09日 fires on the ninth; an Attribute whose numbers are not numbers never
// fires.
// `ringsAs` (1 = Monday … 7 = Sunday) stands in for the day's own weekday in the weekday Attributes:
// a make-up workday rings the entries of the weekday it stands for. 0 keeps the day's own.
bool recurrenceHolds(QStringView attribute, const QDate& today, int ringsAs = 0);

// The Response of `entry` when the entry is due: its Time (the text before the first "*") equals
// `clockText` exactly and its Attribute (between the first ">" and the first "<") holds on `today`.
// An entry whose separators are missing or out of order is never due: nothing in it can be trusted.
std::optional<QString> dueResponse(const QString& entry, const QString& clockText, const QDate& today,
                                   int ringsAs = 0);

// The position of the "<" before the Response when the entry's Attribute holds on `day`, whatever its
// Time; nullopt when it does not or when the separators are missing or out of order.
std::optional<qsizetype> responseMarkWhenHolds(QStringView entry, const QDate& day, int ringsAs = 0);

// "星期日" … "星期六" for the day of `date`.
QString weekdayName(const QDate& date);

}  // namespace quel
