#include "schedule/entry_builder.h"

#include <algorithm>
#include <array>
#include <utility>

#include "schedule/entry_grammar.h"

namespace quel {

namespace {

constexpr QChar kQuote = u'"';
constexpr qsizetype kYearLength = 4;

Refusal warning(const QString& text) {
    return Refusal{text, MessageIcon::Warning, EditorField::None, false};
}

// The separators would split the entry; a double quote would end the table text on the next read.
// Tested in this order, so a comment holding both > and < is refused for >.
const std::array<QChar, 5> kNotInComment = {grammar::kEntryMark, grammar::kAfterTime, grammar::kAfterComment,
                                            grammar::kAfterAttribute, kQuote};

std::optional<Refusal> commentRefusal(const QString& comment) {
    for (const QChar c : kNotInComment) {
        if (comment.contains(c))
            return Refusal{QStringLiteral("注释中不能包含[") + c + QStringLiteral("]这个字符！"),
                           MessageIcon::None};
    }
    return std::nullopt;
}

const QString kNoDay = QStringLiteral("没有选择日子!");
const QString kNoMonth = QStringLiteral("没有选择月份!");

// The Attribute of the chosen recurrence, or why there is none.
std::pair<QString, std::optional<Refusal>> attributeOf(const EditorValues& v) {
    switch (v.recurrence) {
        case Recurrence::EveryDay:
            return {grammar::kEveryDay, std::nullopt};
        case Recurrence::Weekday: {
            const QString attribute = weekdayAttribute(v.weekday);
            if (attribute.isEmpty())
                return {QString(), warning(QStringLiteral("没有选择星期几!"))};
            return {attribute, std::nullopt};
        }
        case Recurrence::EveryMonth:
            if (v.monthDay.isEmpty())
                return {QString(), warning(kNoDay)};
            return {monthlyAttribute(v.monthDay), std::nullopt};
        case Recurrence::EveryYear:
            if (v.yearMonth.isEmpty())
                return {QString(), warning(kNoMonth)};
            if (v.yearDay.isEmpty())
                return {QString(), warning(kNoDay)};
            return {yearlyAttribute(v.yearMonth, v.yearDay), std::nullopt};
        case Recurrence::OneDate: {
            if (v.year.isEmpty())
                return {QString(),
                        Refusal{QStringLiteral("没有输入年份!"), MessageIcon::Warning, EditorField::Year}};
            // A year holding a separator or a quote would break the entry like a comment would.
            const bool unfit = std::any_of(kNotInComment.begin(), kNotInComment.end(),
                                           [&](QChar c) { return v.year.contains(c); });
            const bool digits =
                std::all_of(v.year.begin(), v.year.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
            if (v.year.size() != kYearLength || unfit || !digits)
                return {QString(), Refusal{QStringLiteral("年份要为四位数,如2003"), MessageIcon::Warning,
                                           EditorField::Year, true}};
            if (v.dateMonth.isEmpty())
                return {QString(), warning(kNoMonth)};
            if (v.dateDay.isEmpty())
                return {QString(), warning(kNoDay)};
            return {dateAttribute(v.year, v.dateMonth, v.dateDay), std::nullopt};
        }
    }
    return {QString(), std::nullopt};
}

struct ResponseParts {
    ResponseKind kind;
    QString payload;
};

ResponseParts responseParts(const EditorValues& v) {
    switch (v.response) {
        case ResponseOption::DefaultTone:
            return {ResponseKind::Tone, v.defaultRing};
        case ResponseOption::ChosenTone:
            return {ResponseKind::Tone, v.chosenTone};
        case ResponseOption::BroadcastStatic:
            return {ResponseKind::BroadcastStaticOn, v.chosenPlayList};
        case ResponseOption::BroadcastDynamic:
            return {ResponseKind::BroadcastDynamicOn, v.chosenPlayList};
        case ResponseOption::BroadcastOff:
            return {ResponseKind::BroadcastOff, {}};
        case ResponseOption::RadioOn:
            return {ResponseKind::RadioOn, {}};
        case ResponseOption::RadioOff:
            return {ResponseKind::RadioOff, {}};
        case ResponseOption::Shutdown:
            return {ResponseKind::Shutdown, {}};
        case ResponseOption::Restart:
            return {ResponseKind::Restart, {}};
        case ResponseOption::Logoff:
            return {ResponseKind::Logoff, {}};
        case ResponseOption::SayTimeMale:
            return {ResponseKind::SayTimeMale, {}};
        case ResponseOption::SayTimeFemale:
            return {ResponseKind::SayTimeFemale, {}};
        case ResponseOption::RunProgram:
            return {ResponseKind::RunProgram, v.program};
        case ResponseOption::OpenTable:
            return {ResponseKind::OpenTable, v.table};
        case ResponseOption::JustMyTime:
            return {ResponseKind::JustMyTime, {}};
    }
    return {ResponseKind::Tone, {}};
}

// The file or program the chosen response needs, when the operator has not given it.
std::optional<Refusal> missingArgument(const EditorValues& v) {
    switch (v.response) {
        case ResponseOption::ChosenTone:
            // 选择乐音 picked with the keyboard opens no dialog, so no file was ever chosen.
            if (v.chosenTone.isEmpty())
                return warning(QStringLiteral("你没有选择乐音文件！"));
            break;
        case ResponseOption::BroadcastStatic:
        case ResponseOption::BroadcastDynamic: {
            const QString& box =
                v.response == ResponseOption::BroadcastStatic ? v.staticPlayListBox : v.dynamicPlayListBox;
            if (box.isEmpty() || v.chosenPlayList.isEmpty())
                return warning(QStringLiteral("你没有选取要播音的播表文件"));
            break;
        }
        case ResponseOption::RunProgram:
            if (v.program.trimmed().isEmpty())
                return warning(QStringLiteral("你没有选择要执行的文件名！"));
            break;
        case ResponseOption::OpenTable:
            if (v.table.trimmed().isEmpty())
                return warning(QStringLiteral("你没有选择要调入的全天时间安排表！"));
            break;
        default:
            break;
    }
    return std::nullopt;
}

bool sameMoment(const QString& entry, const QString& time, const QString& attribute, ResponseClass kind) {
    const EntryFields f = splitEntry(entry);
    return f.time == time && f.attribute == attribute && responseClass(f.response) == kind;
}

BuiltEntry refused(Refusal refusal) {
    return BuiltEntry{QString(), std::move(refusal)};
}

// A Chinese input method types full-width digits; the tick reads ASCII ones only, so a year typed that way
// made an entry that never rang.
EditorValues withAsciiDigits(EditorValues v) {
    for (QString* field : {&v.hour, &v.minute, &v.second, &v.monthDay, &v.yearMonth, &v.yearDay, &v.year,
                           &v.dateMonth, &v.dateDay})
        *field = asciiDigits(*field);
    return v;
}

}  // namespace

QString pathRefusalText(const QString& path) {
    return QStringLiteral("文件路径中不能包含 | 或 \" 字符：") + path;
}

bool pathFitsInEntry(const QString& path) {
    return !path.contains(kQuote) && !path.contains(grammar::kEntryMark);
}

BuiltEntry buildEntry(const EditorValues& typed, const QStringList& entries) {
    const EditorValues v = withAsciiDigits(typed);
    if (v.hour.isEmpty() || v.minute.isEmpty() || v.second.isEmpty())
        return refused(warning(QStringLiteral("你没有选择要定义的时间!")));
    const QString time = timeText(v.hour, v.minute, v.second);
    if (std::optional<Refusal> r = commentRefusal(v.comment))
        return refused(*r);
    const QString comment = v.comment.isEmpty() ? grammar::kNoComment : v.comment;

    auto [attribute, recurrenceRefusal] = attributeOf(v);
    if (recurrenceRefusal)
        return refused(*recurrenceRefusal);

    if (std::optional<Refusal> r = missingArgument(v))
        return refused(*r);
    const ResponseParts parts = responseParts(v);
    if (!pathFitsInEntry(parts.payload))
        return refused(warning(pathRefusalText(parts.payload)));
    const QString response = responseText(parts.kind, parts.payload);

    const ResponseClass kind = responseClass(response);
    for (const QString& entry : entries) {
        if (sameMoment(entry, time, attribute, kind))
            return refused(warning(QStringLiteral("这个时间已经定义了!")));
    }
    if (entries.size() >= kMaxEntries)
        return refused(warning(QStringLiteral("每张时间表最多只能有100个时间项！")));
    const QString entry = joinEntry({time, comment, attribute, response});
    // The last word: an entry the tick could never fire (a date that does not exist) is not added.
    if (const QString why = whyNeverRings(entry); !why.isEmpty())
        return refused(warning(why));
    return BuiltEntry{entry, std::nullopt};
}

}  // namespace quel
