#pragma once

#include <QString>
#include <QStringView>
#include <array>

namespace quel {

// The grammar of one schedule entry, "Time*Comment>Attribute<Response", and of the table text that
// holds the entries ("|" before each). Every reader and writer of entries spells its separators and
// keywords from here.

namespace grammar {
inline constexpr QChar kEntryMark = u'|';
inline constexpr QChar kAfterTime = u'*';
inline constexpr QChar kAfterComment = u'>';
inline constexpr QChar kAfterAttribute = u'<';

inline const QString kNoComment = QStringLiteral("没有注释");

// Attributes.
inline const QString kEveryDay = QStringLiteral("每天");
inline const QString kWeekdayPrefix = QStringLiteral("星期");
inline const QString kMonthly = QStringLiteral("每月");
inline const QString kYearly = QStringLiteral("每年");
inline constexpr QChar kYearMark = u'年';
inline constexpr QChar kMonthMark = u'月';
inline constexpr QChar kDayMark = u'日';
// Sunday first, the order of the weekday Attributes.
inline const std::array<QString, 7> kWeekdays = {
    QStringLiteral("星期日"), QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
    QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
};
// The weekday characters as the editor lists them, Monday first.
inline const QString kWeekdayCharacters = QStringLiteral("一二三四五六日");

// Response keywords.
inline const QString kBroadcastStaticOn = QStringLiteral("播音开-静态");
inline const QString kBroadcastDynamicOn = QStringLiteral("播音开-动态");
inline const QString kBroadcastOff = QStringLiteral("播音关");
inline const QString kRadioOn = QStringLiteral("收音机开");
inline const QString kRadioOff = QStringLiteral("收音机关");
inline const QString kShutdown = QStringLiteral("关机");
inline const QString kRestart = QStringLiteral("重启");
inline const QString kLogoff = QStringLiteral("注销");
inline const QString kJustMyTime = QStringLiteral("校时");
inline const QString kRunProgram = QStringLiteral("执行程序");
inline const QString kOpenTable = QStringLiteral("打开表");
inline const QString kSayTimeMale = QStringLiteral("中文男声报时");
inline const QString kSayTimeFemale = QStringLiteral("中文女声报时");
// The beginnings that group responses: the list filters 播音 and 收音机, and broadcast-on of the
// duplicate rule, which also take hand-made variants of their keywords.
inline const QString kBroadcastPrefix = QStringLiteral("播音");
inline const QString kBroadcastOnPrefix = QStringLiteral("播音开");
inline const QString kRadioPrefix = QStringLiteral("收音机");
}  // namespace grammar

// The texts an entry is composed of. The hour keeps its text; minute and second get two digits.
QString timeText(const QString& hour, const QString& minute, const QString& second);
// "星期三" for "三"; empty when `day` is not one of the weekday characters.
QString weekdayAttribute(const QString& day);
QString monthlyAttribute(const QString& day);
QString yearlyAttribute(const QString& month, const QString& day);
QString dateAttribute(const QString& year, const QString& month, const QString& day);

// The four fields of an entry text, found by the first occurrence of each separator. A separator that
// is missing (a file edited by hand) leaves its field and the fields after it that depend on it empty;
// nothing is invented.
struct EntryFields {
    QString time;
    QString comment;
    QString attribute;
    QString response;
};

EntryFields splitEntry(const QString& entry);
QString joinEntry(const EntryFields& fields);

// What a Response asks for, in the order the keywords are tried. The first keyword the Response starts
// with wins; a Response that starts with none is a tone, its whole text a sound path.
enum class ResponseKind {
    BroadcastStaticOn,
    BroadcastDynamicOn,
    BroadcastOff,
    RadioOn,
    RadioOff,
    Shutdown,
    Restart,
    Logoff,
    JustMyTime,
    RunProgram,
    OpenTable,
    SayTimeMale,
    SayTimeFemale,
    Tone,
};

// A Response split into its kind and what follows the keyword: the play-list path of a broadcast, the
// command line of 执行程序, the table path of 打开表, the sound path of a tone; empty for the rest.
struct ParsedResponse {
    ResponseKind kind = ResponseKind::Tone;
    QString payload;
};

ResponseKind responseKind(QStringView response);
ParsedResponse parseResponse(QStringView response);
// The stored Response: the kind's keyword followed by the payload; a tone is its bare path.
QString responseText(ResponseKind kind, const QString& payload = QString());

// The longest command line a 执行程序 Response hands on, and the longest table path of 打开表; longer
// text is cut there, never in half a surrogate pair.
inline constexpr qsizetype kMaxCommandLength = 500;
inline constexpr qsizetype kMaxTablePathLength = 500;

// Why a table's entry can never fire, in the operator's words; empty for an entry that can. The tick
// compares a Time with the program clock's text ("8:05:00", the hour without a leading zero) and knows
// the Attribute forms 每天, 星期X, 每月D日, 每年M月D日 and YYYY年M月D日 with ASCII digits; an entry
// made by hand outside them stays in the table and silently never rings.
QString whyNeverRings(const QString& entry);

// Full-width digits (as a Chinese input method types them) as ASCII digits; everything else as it is.
QString asciiDigits(const QString& text);

// Two entries due at the same moment of the same recurrence may coexist only when their classes differ.
enum class ResponseClass { BroadcastOn, BroadcastOff, Shutdown, Other };
ResponseClass responseClass(QStringView response);

}  // namespace quel
