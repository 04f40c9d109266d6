#include "calendar/school_events.h"

#include <libical/ical.h>

#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <memory>

#include "platform/files.h"

namespace quel {

namespace {

const char* const kTableProperty = "X-QUELBROOK-TABLE";
const char* const kEmptyMarker = "X-QUELBROOK-EMPTY-VALUE";
const char* const kWeekdayProperty = "X-QUELBROOK-WEEKDAY";
const char* const kHolidayTableProperty = "X-QUELBROOK-HOLIDAY-TABLE";
const char* const kMakeUpWeekdayProperty = "X-QUELBROOK-MAKEUP-WEEKDAY";
// A repeating event longer than a year would overlap itself.
constexpr qint64 kLongestYearlyDays = 366;

struct IcalFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

std::optional<SchoolCategory> categoryOf(const QStringList& categories) {
    for (const QString& c : categories) {
        for (SchoolCategory k :
             {SchoolCategory::Vacation, SchoolCategory::Season, SchoolCategory::Override}) {
            if (c.trimmed() == categoryName(k)) {
                return k;
            }
        }
    }
    return std::nullopt;
}

// The name says what an event most likely is: a vacation, a timetable season, or a single day.
SchoolCategory suggestFor(const QString& summary) {
    if (summary.contains(QStringLiteral("作息")) || summary.contains(QStringLiteral("学期"))) {
        return SchoolCategory::Season;
    }
    if (summary.contains(QStringLiteral("寒假")) || summary.contains(QStringLiteral("暑假")) ||
        summary.contains(QStringLiteral("假期")) || summary.contains(QStringLiteral("放假"))) {
        return SchoolCategory::Vacation;
    }
    return SchoolCategory::Override;
}

icaltimetype toIcal(const QDate& d) {
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    t.is_date = 1;
    return t;
}

void addX(icalcomponent* c, const char* name, const QString& value) {
    icalproperty* p = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(c, p);
}

// The X- properties of a component by name: libical keeps them all under one kind.
std::optional<QString> xValue(icalcomponent* c, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), name) == 0) {
            const char* v = icalproperty_get_x(p);
            return v && qstrcmp(v, kEmptyMarker) != 0 ? QString::fromUtf8(v) : QString();
        }
    }
    return std::nullopt;
}

QStringList categoriesOf(icalcomponent* ev) {
    QStringList all;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_CATEGORIES_PROPERTY)) {
        all += QString::fromUtf8(icalproperty_get_categories(p)).split(QLatin1Char(','));
    }
    return all;
}

std::variant<SchoolCalendarRead, CalendarError> refuse(const QString& message) {
    return CalendarError{message};
}

std::optional<int> weekdayValue(const std::optional<QString>& text) {
    if (!text) {
        return 0;
    }
    bool ok = false;
    const int n = text->trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 7) {
        return std::nullopt;
    }
    return n;
}

}  // namespace

QString categoryName(SchoolCategory c) {
    switch (c) {
        case SchoolCategory::Vacation:
            return QStringLiteral("假期");
        case SchoolCategory::Season:
            return QStringLiteral("作息");
        case SchoolCategory::Override:
            break;
    }
    return QStringLiteral("调整");
}

std::variant<SchoolCalendarRead, CalendarError> readSchoolCalendar(const QByteArray& bytes) {
    if (bytes.trimmed().isEmpty()) {
        return refuse(QStringLiteral("文件是空的"));
    }
    if (bytes.size() > kSchoolFileCap) {
        return refuse(
            QStringLiteral("文件太大（超过 %1 MB），不是学校的日历").arg(kSchoolFileCap / (1024 * 1024)));
    }
    QString text = fileformat::decode(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const QByteArray utf8 = text.trimmed().toUtf8();
    if (!utf8.startsWith("BEGIN:VCALENDAR")) {
        return refuse(QStringLiteral("不是 iCalendar 日历文件"));
    }
    // A file cut short still parses into a calendar of fewer events: only the closing line tells.
    if (!utf8.endsWith("END:VCALENDAR")) {
        return refuse(QStringLiteral("日历文件不完整（缺少 END:VCALENDAR）"));
    }
    // libical 3.0 drops an X- property without a value, yet an empty table is how a silent day is
    // written: it is handed to the parser as a marker and read back as empty.
    static const QRegularExpression emptyTable(QStringLiteral("^(X-QUELBROOK-TABLE(;[^:\r\n]*)?):[ \t]*\r?$"),
                                               QRegularExpression::MultilineOption);
    const QByteArray marked = QString::fromUtf8(utf8)
                                  .replace(emptyTable, QStringLiteral("\\1:") + QLatin1String(kEmptyMarker))
                                  .toUtf8();
    std::unique_ptr<icalcomponent, IcalFree> root(icalparser_parse_string(marked.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) {
        return refuse(QStringLiteral("不是 iCalendar 日历文件"));
    }
    // Properties libical does not know (TIMEZONE-ID of some exporters) are noted as errors in the
    // tree; they are not ours to judge. What we read is checked one event at a time below.
    SchoolCalendarRead read;
    read.known.holidayTable = xValue(root.get(), kHolidayTableProperty).value_or(QString());
    const auto makeUp = weekdayValue(xValue(root.get(), kMakeUpWeekdayProperty));
    if (!makeUp) {
        return refuse(QStringLiteral("调休上班日按星期几打铃的设置不对（应为 1–7）"));
    }
    read.known.makeUpWeekday = *makeUp == 0 ? 1 : *makeUp;
    for (icalcomponent* ev = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        const QString summary = QString::fromUtf8(icalcomponent_get_summary(ev));
        const QString named = QStringLiteral("“%1”").arg(summary.left(40));
        const icaltimetype dtstart = icalcomponent_get_dtstart(ev);
        if (icaltime_is_null_time(dtstart)) {
            return refuse(named + QStringLiteral("没有开始日期"));
        }
        if (!dtstart.is_date) {
            ++read.timedSkipped;
            continue;
        }
        const QDate start(dtstart.year, dtstart.month, dtstart.day);
        const icaltimetype dtend = icalcomponent_get_dtend(ev);
        QDate end =
            icaltime_is_null_time(dtend) ? start.addDays(1) : QDate(dtend.year, dtend.month, dtend.day);
        if (!start.isValid() || !end.isValid() || end <= start) {
            return refuse(named + QStringLiteral("的日期不对"));
        }
        bool yearly = false;
        if (icalproperty* rrule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype r = icalproperty_get_rrule(rrule);
            yearly = r.freq == ICAL_YEARLY_RECURRENCE && r.count == 0 && icaltime_is_null_time(r.until) &&
                     r.interval <= 1 && r.by_month[0] == ICAL_RECURRENCE_ARRAY_MAX &&
                     r.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX;
            if (!yearly) {
                return refuse(named +
                              QStringLiteral("的重复规则不支持：只能是每年重复（RRULE:FREQ=YEARLY）"));
            }
            if (start.daysTo(end) > kLongestYearlyDays) {
                return refuse(named + QStringLiteral("每年重复，却长过一年"));
            }
        }
        const QStringList categories = categoriesOf(ev);
        const auto category = categoryOf(categories);
        if (!category) {
            read.foreign.push_back(
                {summary, categories.join(QLatin1Char(',')), start, end, yearly, suggestFor(summary)});
            continue;
        }
        const auto weekday = weekdayValue(xValue(ev, kWeekdayProperty));
        if (!weekday) {
            return refuse(named + QStringLiteral("的 X-QUELBROOK-WEEKDAY 不对（应为 1–7）"));
        }
        const char* uid = icalcomponent_get_uid(ev);
        read.known.events.push_back({*category, summary, start, end, xValue(ev, kTableProperty), *weekday,
                                     yearly, QString::fromUtf8(uid ? uid : "")});
    }
    return read;
}

QByteArray writeSchoolCalendar(const SchoolEvents& school, const QDateTime& stamp) {
    std::unique_ptr<icalcomponent, IcalFree> root(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(root.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(root.get(), icalproperty_new_prodid("-//Quelbrook//School calendar//ZH"));
    if (!school.holidayTable.isEmpty()) {
        addX(root.get(), kHolidayTableProperty, school.holidayTable);
    }
    if (school.makeUpWeekday != 1) {
        addX(root.get(), kMakeUpWeekdayProperty, QString::number(school.makeUpWeekday));
    }
    const QDateTime utc = stamp.toUTC();
    icaltimetype dtstamp = icaltime_null_time();
    dtstamp.year = utc.date().year();
    dtstamp.month = utc.date().month();
    dtstamp.day = utc.date().day();
    dtstamp.hour = utc.time().hour();
    dtstamp.minute = utc.time().minute();
    dtstamp.second = utc.time().second();
    dtstamp.zone = icaltimezone_get_utc_timezone();
    for (const SchoolEvent& e : school.events) {
        icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        const QString uid = e.uid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : e.uid;
        icalcomponent_add_property(ev, icalproperty_new_uid(uid.toUtf8().constData()));
        icalcomponent_add_property(ev, icalproperty_new_dtstamp(dtstamp));
        icalcomponent_add_property(ev, icalproperty_new_dtstart(toIcal(e.start)));
        icalcomponent_add_property(ev, icalproperty_new_dtend(toIcal(e.end)));
        icalcomponent_add_property(ev, icalproperty_new_summary(e.summary.toUtf8().constData()));
        icalcomponent_add_property(
            ev, icalproperty_new_categories(categoryName(e.category).toUtf8().constData()));
        if (e.yearly) {
            icalrecurrencetype r;
            icalrecurrencetype_clear(&r);
            r.freq = ICAL_YEARLY_RECURRENCE;
            icalcomponent_add_property(ev, icalproperty_new_rrule(r));
        }
        if (e.table) {
            addX(ev, kTableProperty, *e.table);
        }
        if (e.weekday != 0) {
            addX(ev, kWeekdayProperty, QString::number(e.weekday));
        }
        icalcomponent_add_component(root.get(), ev);
    }
    char* text = icalcomponent_as_ical_string_r(root.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

SchoolEvent adoptForeign(const ForeignEvent& foreign, SchoolCategory category) {
    SchoolEvent e;
    e.category = category;
    e.summary = foreign.summary;
    e.start = foreign.start;
    e.end = foreign.end;
    e.yearly = foreign.yearly;
    if (category == SchoolCategory::Vacation) {
        e.table = QString();
    }
    return e;
}

}  // namespace quel
