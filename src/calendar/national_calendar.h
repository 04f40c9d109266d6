#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <variant>

namespace quel {

// What the state's calendar says of one date.
enum class NationalKind {
    Holiday,  // 休: a statutory holiday, no school
    Workday,  // 班: a make-up workday (调休上班), often a Saturday or Sunday
};

struct NationalDay {
    NationalKind kind = NationalKind::Holiday;
    QString name;  // 国庆节, 春节
    bool operator==(const NationalDay&) const = default;
};

// The statutory holidays and make-up workdays of whole years. A year is either known entirely or not
// at all, so a date of a known year that is in neither list is an ordinary day.
class NationalCalendar {
public:
    bool isEmpty() const { return firstYear_ == 0; }
    int firstYear() const { return firstYear_; }
    int lastYear() const { return lastYear_; }
    // The last date the data speaks for; invalid when empty.
    QDate lastDate() const { return isEmpty() ? QDate() : QDate(lastYear_, 12, 31); }
    bool covers(const QDate& date) const {
        return !isEmpty() && date.year() >= firstYear_ && date.year() <= lastYear_;
    }
    const NationalDay* day(const QDate& date) const {
        auto it = days_.constFind(date.toJulianDay());
        return it == days_.cend() ? nullptr : &it.value();
    }
    const QHash<qint64, NationalDay>& days() const { return days_; }

    // Sets one day; the years between first and last year are widened to hold it.
    void set(const QDate& date, const NationalDay& day);
    // Marks the years as known (a year may hold no special day at all in a short file).
    void cover(int firstYear, int lastYear);
    // The years `newer` knows replace those of this calendar whole; the others stay. A newer calendar
    // that would leave unknown years between the two is refused (a message, nothing changed): the
    // years in the gap would otherwise read as ordinary days.
    QString merge(const NationalCalendar& newer);

    // The program's own file: a header line, YEARS first last, one "yyyy-MM-dd 休|班 name" per day,
    // '#' comments, CR LF.
    QByteArray toText() const;
    bool operator==(const NationalCalendar&) const = default;

private:
    int firstYear_ = 0;
    int lastYear_ = 0;
    QHash<qint64, NationalDay> days_;  // by Julian day
};

// A refusal with the message the operator reads; nothing was changed.
struct CalendarError {
    QString message;
};

// Reads a national calendar from any of the forms the program takes: its own file, the JSON of
// chinese-days (the whole set or one year) and iCalendar files whose events are named "元旦(休)" and
// "春节(班)". Bytes in GB18030 are read as well as UTF-8. The whole file is taken, or none of it.
std::variant<NationalCalendar, CalendarError> readNationalCalendar(const QByteArray& bytes);

// National data files are a few tens of kilobytes; anything this large is the wrong file.
inline constexpr qint64 kNationalFileCap = 4 * 1024 * 1024;

}  // namespace quel
