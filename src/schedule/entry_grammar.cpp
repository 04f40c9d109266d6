#include "schedule/entry_grammar.h"

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

}  // namespace quel
