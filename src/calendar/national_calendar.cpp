#include "calendar/national_calendar.h"

#include <libical/ical.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "platform/files.h"

namespace quel {

namespace {

const QString kHolidayMark = QStringLiteral("休");
const QString kWorkdayMark = QStringLiteral("班");
const QByteArray kHeader = "QUELBROOK-HOLIDAYS 1";
// The years a national calendar may speak of: anything else is a wrong date, not a plan.
constexpr int kEarliestYear = 1949;
constexpr int kLatestYear = 2200;
// A single holiday or make-up event longer than this is a wrong file, not a long holiday.
constexpr qint64 kLongestEventDays = 31;

QDate strictDate(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!shape.match(text).hasMatch()) {
        return {};
    }
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

QString dateText(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

// Collects the days of one file, refusing the contradictions that mean a broken file.
class Builder {
public:
    bool add(const QDate& date, NationalKind kind, const QString& name, QString& error) {
        if (!date.isValid() || date.year() < kEarliestYear || date.year() > kLatestYear) {
            error = QStringLiteral("日期不对：%1")
                        .arg(date.isValid() ? dateText(date) : QStringLiteral("无效日期"));
            return false;
        }
        if (const NationalDay* old = calendar_.day(date); old && old->kind != kind) {
            error = QStringLiteral("%1 既是假日又是调休上班日").arg(dateText(date));
            return false;
        }
        // A name is one line of our own file: line breaks and runs of blanks from an iCalendar
        // summary become one space, and a day without a name still needs one.
        QString clean = name.simplified();
        calendar_.set(date, {kind, clean.isEmpty() ? QStringLiteral("假日") : clean});
        return true;
    }
    NationalCalendar& calendar() { return calendar_; }

private:
    NationalCalendar calendar_;
};

std::variant<NationalCalendar, CalendarError> refuse(const QString& message) {
    return CalendarError{message};
}

std::variant<NationalCalendar, CalendarError> finish(Builder& builder) {
    if (builder.calendar().isEmpty()) {
        return refuse(QStringLiteral("文件里没有节假日或调休上班日"));
    }
    return builder.calendar();
}

std::variant<NationalCalendar, CalendarError> readOwn(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    Builder builder;
    int first = 0;
    int last = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        // The name is the rest of the line and may hold spaces.
        const QStringList f = {line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty),
                               line.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty),
                               line.section(QLatin1Char(' '), 2, -1, QString::SectionSkipEmpty)};
        if (f[0] == QLatin1String("YEARS")) {
            bool ok1 = false;
            bool ok2 = false;
            first = f[1].toInt(&ok1);
            last = f[2].toInt(&ok2);
            if (!ok1 || !ok2 || first > last || first < kEarliestYear || last > kLatestYear) {
                return refuse(QStringLiteral("第 %1 行：年份不对").arg(i + 1));
            }
            continue;
        }
        if (f[1] != kHolidayMark && f[1] != kWorkdayMark) {
            return refuse(QStringLiteral("第 %1 行看不懂：%2").arg(i + 1).arg(line.left(40)));
        }
        QString error;
        const auto kind = f[1] == kHolidayMark ? NationalKind::Holiday : NationalKind::Workday;
        if (!builder.add(strictDate(f[0]), kind, f[2], error)) {
            return refuse(QStringLiteral("第 %1 行：%2").arg(i + 1).arg(error));
        }
    }
    if (first == 0) {
        return refuse(QStringLiteral("文件缺少 YEARS 行"));
    }
    NationalCalendar& calendar = builder.calendar();
    if (!calendar.isEmpty() && (calendar.firstYear() < first || calendar.lastYear() > last)) {
        return refuse(QStringLiteral("有日期不在 YEARS 所说的年份里"));
    }
    calendar.cover(first, last);
    return calendar;
}

std::variant<NationalCalendar, CalendarError> readJson(const QByteArray& utf8) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(utf8, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return refuse(QStringLiteral("JSON 格式错误：%1（第 %2 个字节）")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    }
    const QJsonObject root = doc.object();
    if (!root.contains(QLatin1String("holidays")) && !root.contains(QLatin1String("workdays"))) {
        return refuse(QStringLiteral("JSON 里没有 holidays 或 workdays"));
    }
    Builder builder;
    for (const auto& [key, kind] : {std::pair{QStringLiteral("holidays"), NationalKind::Holiday},
                                    std::pair{QStringLiteral("workdays"), NationalKind::Workday}}) {
        const QJsonValue list = root.value(key);
        if (list.isUndefined()) {
            continue;
        }
        if (!list.isObject()) {
            return refuse(QStringLiteral("JSON 的 %1 不是对象").arg(key));
        }
        const QJsonObject days = list.toObject();
        for (auto it = days.begin(); it != days.end(); ++it) {
            // "National Day,国庆节,3": the English name, the Chinese one, a running number.
            const QStringList parts = it.value().toString().split(QLatin1Char(','));
            const QString name = (parts.size() >= 2 ? parts[1] : parts[0]).trimmed();
            const QDate date = strictDate(it.key());
            QString error;
            if (!date.isValid()) {
                return refuse(QStringLiteral("日期不对：%1").arg(it.key().left(40)));
            }
            if (!builder.add(date, kind, name.isEmpty() ? QStringLiteral("假日") : name, error)) {
                return refuse(error);
            }
        }
    }
    return finish(builder);
}

struct IcalFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

QDate fromIcal(const icaltimetype& t) {
    if (icaltime_is_null_time(t) || !t.is_date) {
        return {};
    }
    return QDate(t.year, t.month, t.day);
}

std::variant<NationalCalendar, CalendarError> readIcs(const QByteArray& utf8) {
    // A file cut short still parses into a calendar of fewer events: only the closing line tells.
    if (!utf8.trimmed().endsWith("END:VCALENDAR")) {
        return refuse(QStringLiteral("日历文件不完整（缺少 END:VCALENDAR）"));
    }
    std::unique_ptr<icalcomponent, IcalFree> root(icalparser_parse_string(utf8.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) {
        return refuse(QStringLiteral("不是 iCalendar 日历文件"));
    }
    // Properties libical does not know (TIMEZONE-ID of the chinese-days files) are noted as errors in
    // the tree; they are not ours to judge. Each event's dates and name are checked below.
    static const QRegularExpression named(QStringLiteral("^(.*?)\\s*[（(](休|班)[)）]\\s*$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    Builder builder;
    for (icalcomponent* ev = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        const QString summary = QString::fromUtf8(icalcomponent_get_summary(ev));
        const auto match = named.match(summary);
        if (!match.hasMatch()) {
            return refuse(QStringLiteral("“%1”不是节假日或调休上班日（名称应以“(休)”或“(班)”结尾）")
                              .arg(summary.left(40)));
        }
        const QDate start = fromIcal(icalcomponent_get_dtstart(ev));
        QDate end = fromIcal(icalcomponent_get_dtend(ev));
        if (!start.isValid()) {
            return refuse(QStringLiteral("“%1”的开始日期不对").arg(summary.left(40)));
        }
        if (!end.isValid()) {
            end = start.addDays(1);
        }
        if (end <= start || start.daysTo(end) > kLongestEventDays) {
            return refuse(QStringLiteral("“%1”的结束日期不对").arg(summary.left(40)));
        }
        const auto kind = match.captured(2) == kHolidayMark ? NationalKind::Holiday : NationalKind::Workday;
        for (QDate d = start; d < end; d = d.addDays(1)) {
            QString error;
            if (!builder.add(d, kind, match.captured(1), error)) {
                return refuse(error);
            }
        }
    }
    return finish(builder);
}

}  // namespace

void NationalCalendar::set(const QDate& date, const NationalDay& day) {
    days_.insert(date.toJulianDay(), day);
    cover(date.year(), date.year());
}

void NationalCalendar::cover(int firstYear, int lastYear) {
    if (isEmpty()) {
        firstYear_ = firstYear;
        lastYear_ = lastYear;
        return;
    }
    firstYear_ = std::min(firstYear_, firstYear);
    lastYear_ = std::max(lastYear_, lastYear);
}

QString NationalCalendar::merge(const NationalCalendar& newer) {
    if (newer.isEmpty()) {
        return {};
    }
    if (!isEmpty() && (newer.firstYear() > lastYear_ + 1 || newer.lastYear() < firstYear_ - 1)) {
        return QStringLiteral("新数据是 %1–%2 年的，和已有的 %3–%4 年之间缺了年份")
            .arg(newer.firstYear())
            .arg(newer.lastYear())
            .arg(firstYear_)
            .arg(lastYear_);
    }
    for (auto it = days_.begin(); it != days_.end();) {
        const int year = QDate::fromJulianDay(it.key()).year();
        it = newer.covers(QDate(year, 1, 1)) ? days_.erase(it) : std::next(it);
    }
    for (auto it = newer.days_.cbegin(); it != newer.days_.cend(); ++it) {
        days_.insert(it.key(), it.value());
    }
    cover(newer.firstYear(), newer.lastYear());
    return {};
}

QByteArray NationalCalendar::toText() const {
    QByteArray out = kHeader + "\r\n";
    if (isEmpty()) {
        return out;
    }
    out += "YEARS " + QByteArray::number(firstYear_) + ' ' + QByteArray::number(lastYear_) + "\r\n";
    QList<qint64> keys = days_.keys();
    std::sort(keys.begin(), keys.end());
    for (qint64 jd : keys) {
        const NationalDay& d = days_[jd];
        out += (dateText(QDate::fromJulianDay(jd)) + QLatin1Char(' ') +
                (d.kind == NationalKind::Holiday ? kHolidayMark : kWorkdayMark) + QLatin1Char(' ') + d.name)
                   .toUtf8() +
               "\r\n";
    }
    return out;
}

std::variant<NationalCalendar, CalendarError> readNationalCalendar(const QByteArray& bytes) {
    if (bytes.trimmed().isEmpty()) {
        return refuse(QStringLiteral("文件是空的"));
    }
    if (bytes.size() > kNationalFileCap) {
        return refuse(
            QStringLiteral("文件太大（超过 %1 MB），不是节假日数据").arg(kNationalFileCap / (1024 * 1024)));
    }
    // iCalendar and JSON are UTF-8 by their standards, but a file saved by a Chinese Windows editor
    // is often GB18030; the platform's decoding takes whichever reads cleanly.
    QString text = fileformat::decode(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const QString head = text.trimmed();
    if (head.startsWith(QString::fromLatin1(kHeader))) {
        return readOwn(text);
    }
    if (head.startsWith(QLatin1String("BEGIN:VCALENDAR"))) {
        return readIcs(head.toUtf8());
    }
    if (head.startsWith(QLatin1Char('{'))) {
        return readJson(head.toUtf8());
    }
    return refuse(QStringLiteral("看不懂这个文件：应是 iCalendar（.ics）或 JSON 格式的节假日数据"));
}

}  // namespace quel
