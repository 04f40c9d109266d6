#include "schedule/entry_grammar.h"

#include <QDate>
#include <algorithm>
#include <optional>
#include <utility>

namespace quel {

using namespace grammar;

EntryFields splitEntry(const QString& entry) {
    EntryFields f;
    const qsizetype star = entry.indexOf(kAfterTime);
    const qsizetype gt = entry.indexOf(kAfterComment);
    const qsizetype lt = entry.indexOf(kAfterAttribute);
    // Each field runs from just after its opening separator to the next separator that follows it.
    f.time = entry.left(star >= 0 ? star : (gt >= 0 ? gt : (lt >= 0 ? lt : entry.size())));
    if (star >= 0) {
        qsizetype end = gt > star ? gt : (lt > star ? lt : entry.size());
        f.comment = entry.mid(star + 1, end - star - 1);
    }
    if (gt >= 0) {
        qsizetype end = lt > gt ? lt : entry.size();
        f.attribute = entry.mid(gt + 1, end - gt - 1);
    }
    if (lt >= 0)
        f.response = entry.mid(lt + 1);
    return f;
}

QString joinEntry(const EntryFields& f) {
    return f.time + kAfterTime + f.comment + kAfterComment + f.attribute + kAfterAttribute + f.response;
}

namespace {

// A minute or second list item, "0" to "59", with a leading zero below ten.
QString twoDigits(const QString& number) {
    constexpr int kFirstTwoDigitNumber = 10;
    return number.toInt() < kFirstTwoDigitNumber ? QLatin1Char('0') + number : number;
}

}  // namespace

QString timeText(const QString& hour, const QString& minute, const QString& second) {
    return hour + u':' + twoDigits(minute) + u':' + twoDigits(second);
}

QString weekdayAttribute(const QString& day) {
    if (day.size() != 1 || !kWeekdayCharacters.contains(day))
        return QString();
    return kWeekdayPrefix + day;
}

QString monthlyAttribute(const QString& day) {
    return kMonthly + day + kDayMark;
}

QString yearlyAttribute(const QString& month, const QString& day) {
    return kYearly + month + kMonthMark + day + kDayMark;
}

QString dateAttribute(const QString& year, const QString& month, const QString& day) {
    return year + kYearMark + month + kMonthMark + day + kDayMark;
}

namespace {

// Tried from the top; the first keyword the Response begins with decides.
const std::array<std::pair<const QString*, ResponseKind>, 13> kKeywords = {{
    {&kBroadcastStaticOn, ResponseKind::BroadcastStaticOn},
    {&kBroadcastDynamicOn, ResponseKind::BroadcastDynamicOn},
    {&kBroadcastOff, ResponseKind::BroadcastOff},
    {&kRadioOn, ResponseKind::RadioOn},
    {&kRadioOff, ResponseKind::RadioOff},
    {&kShutdown, ResponseKind::Shutdown},
    {&kRestart, ResponseKind::Restart},
    {&kLogoff, ResponseKind::Logoff},
    {&kJustMyTime, ResponseKind::JustMyTime},
    {&kRunProgram, ResponseKind::RunProgram},
    {&kOpenTable, ResponseKind::OpenTable},
    {&kSayTimeMale, ResponseKind::SayTimeMale},
    {&kSayTimeFemale, ResponseKind::SayTimeFemale},
}};

QString cutAt(QStringView text, qsizetype max) {
    if (text.size() > max) {
        qsizetype length = max;
        if (text[length - 1].isHighSurrogate())
            --length;
        text = text.first(length);
    }
    return text.toString();
}

}  // namespace

ResponseKind responseKind(QStringView response) {
    return parseResponse(response).kind;
}

ParsedResponse parseResponse(QStringView response) {
    for (const auto& [keyword, kind] : kKeywords) {
        if (!response.startsWith(*keyword))
            continue;
        const QStringView rest = response.sliced(keyword->size());
        switch (kind) {
            case ResponseKind::BroadcastStaticOn:
            case ResponseKind::BroadcastDynamicOn:
                return {kind, rest.toString()};
            case ResponseKind::RunProgram:
                return {kind, cutAt(rest, kMaxCommandLength)};
            case ResponseKind::OpenTable:
                return {kind, cutAt(rest, kMaxTablePathLength)};
            default:
                return {kind, QString()};
        }
    }
    return {ResponseKind::Tone, response.toString()};
}

QString responseText(ResponseKind kind, const QString& payload) {
    for (const auto& [keyword, k] : kKeywords) {
        if (k == kind)
            return *keyword + payload;
    }
    return payload;
}

ResponseClass responseClass(QStringView response) {
    if (response.startsWith(kBroadcastOnPrefix))
        return ResponseClass::BroadcastOn;
    if (response.startsWith(kBroadcastOff))
        return ResponseClass::BroadcastOff;
    if (response.startsWith(kShutdown))
        return ResponseClass::Shutdown;
    return ResponseClass::Other;
}

namespace {

constexpr int kHoursPerDay = 24;
constexpr int kSixty = 60;
constexpr int kMonthsPerYear = 12;
constexpr int kLongestMonth = 31;
// A leap year, so that 2月29日 of 每年 counts as a day that comes.
constexpr int kLeapYear = 2000;
constexpr qsizetype kYearDigits = 4;

// Only ASCII digits, as the tick reads them: a sign, a space or a full-width digit never matches.
std::optional<int> plainNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

bool inRange(std::optional<int> n, int low, int high) {
    return n && *n >= low && *n <= high;
}

// "H:MM:SS" or "HH:MM:SS" exactly as the program clock spells it.
bool isClockText(QStringView time) {
    const qsizetype hourDigits = time.size() - 6;
    if (hourDigits != 1 && hourDigits != 2)
        return false;
    if (time[hourDigits] != u':' || time[hourDigits + 3] != u':')
        return false;
    const std::optional<int> hour = plainNumber(time.first(hourDigits));
    const int lowestHour = hourDigits == 1 ? 0 : 10;
    return inRange(hour, lowestHour, kHoursPerDay - 1) &&
           inRange(plainNumber(time.sliced(hourDigits + 1, 2)), 0, kSixty - 1) &&
           inRange(plainNumber(time.sliced(hourDigits + 4, 2)), 0, kSixty - 1);
}

// The month between `from` and the first 月 and the day up to the first 日 after it; what follows the
// 日 is not read, as the tick does not read it.
std::optional<QDate> monthAndDay(QStringView attribute, qsizetype from, int year) {
    const qsizetype monthMark = attribute.indexOf(kMonthMark);
    const qsizetype dayMark = attribute.indexOf(kDayMark);
    if (monthMark < from || dayMark <= monthMark)
        return std::nullopt;
    const std::optional<int> month = plainNumber(attribute.sliced(from, monthMark - from));
    const std::optional<int> day = plainNumber(attribute.sliced(monthMark + 1, dayMark - monthMark - 1));
    if (!inRange(month, 1, kMonthsPerYear) || !inRange(day, 1, kLongestMonth))
        return std::nullopt;
    return QDate(year, *month, *day);
}

const QString kNeverSuffix = QStringLiteral("，这一项永远不会响。");

QString attributeProblem(QStringView attribute) {
    if (attribute == kEveryDay || std::find(kWeekdays.begin(), kWeekdays.end(), attribute) != kWeekdays.end())
        return QString();
    const QString noSuchDay =
        QStringLiteral("属性“") + attribute.toString() + QStringLiteral("”的日子不存在");
    if (attribute.startsWith(kMonthly)) {
        // The tick drops every 日 and reads what is left as the day.
        const QString rest = attribute.sliced(kMonthly.size()).toString().remove(kDayMark);
        if (inRange(plainNumber(rest), 1, kLongestMonth))
            return QString();
    } else if (attribute.startsWith(kYearly)) {
        const std::optional<QDate> date = monthAndDay(attribute, kYearly.size(), kLeapYear);
        if (date && date->isValid())
            return QString();
        if (date)
            return noSuchDay;
    } else if (attribute.size() > kYearDigits) {
        const std::optional<int> year = plainNumber(attribute.first(kYearDigits));
        const std::optional<QDate> date =
            year ? monthAndDay(attribute, kYearDigits + 1, *year) : std::nullopt;
        if (date && date->isValid())
            return QString();
        if (date)
            return noSuchDay;
    }
    return QStringLiteral("属性“") + attribute.toString() +
           QStringLiteral("”不是每天、星期几、每月某日、每年某月某日或某年某月某日（数字用半角）");
}

}  // namespace

QString whyNeverRings(const QString& entry) {
    const qsizetype star = entry.indexOf(kAfterTime);
    const qsizetype gt = entry.indexOf(kAfterComment);
    const qsizetype lt = entry.indexOf(kAfterAttribute);
    if (star < 0 || gt < star || lt < gt)
        return QStringLiteral("缺少分隔符 * > < 或次序不对") + kNeverSuffix;
    const EntryFields f = splitEntry(entry);
    if (!isClockText(f.time))
        return QStringLiteral("时间“") + f.time + QStringLiteral("”不是“时:分:秒”（如 8:05:00）") +
               kNeverSuffix;
    if (const QString problem = attributeProblem(f.attribute); !problem.isEmpty())
        return problem + kNeverSuffix;
    const ParsedResponse response = parseResponse(f.response);
    if (response.kind == ResponseKind::RunProgram && response.payload.trimmed().isEmpty())
        return QStringLiteral("执行程序后没有要执行的程序") + kNeverSuffix;
    if (response.kind == ResponseKind::OpenTable && response.payload.trimmed().isEmpty())
        return QStringLiteral("打开表后没有要打开的时间表") + kNeverSuffix;
    return QString();
}

QString asciiDigits(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return out;
}

}  // namespace quel
