#include "history/history_line.h"

#include <array>
#include <utility>

#include "schedule/entry_grammar.h"

namespace quel {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
constexpr QChar kSeparator = u'\t';
constexpr int kFields = 4;

const std::array<std::pair<HistoryKind, QString>, 12> kKinds = {{
    {HistoryKind::Entry, QStringLiteral("时间表")},
    {HistoryKind::Chime, QStringLiteral("整点敲钟")},
    {HistoryKind::Alarm, QStringLiteral("闹铃")},
    {HistoryKind::CountDown, QStringLiteral("倒计时")},
    {HistoryKind::Broadcast, QStringLiteral("播音")},
    {HistoryKind::PowerOff, QStringLiteral("关机")},
    {HistoryKind::Sound, QStringLiteral("声音")},
    {HistoryKind::Table, QStringLiteral("时间表文件")},
    {HistoryKind::Clock, QStringLiteral("校时")},
    {HistoryKind::Emergency, QStringLiteral("紧急广播")},
    {HistoryKind::Calendar, QStringLiteral("日历")},
    {HistoryKind::Remote, QStringLiteral("远程控制")},
}};

const QString kDone = QStringLiteral("完成");
const QString kMissed = QStringLiteral("错过");
const QString kFailed = QStringLiteral("失败");
const QString kHeld = QStringLiteral("暂缓");
const QString kSkipped = QStringLiteral("跳过");
const QString kCancelled = QStringLiteral("取消");
const QString kReasonMark = QStringLiteral("：");

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == kSeparator || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return text;
}

}  // namespace

QString kindLabel(HistoryKind kind) {
    for (const auto& [k, label] : kKinds) {
        if (k == kind)
            return label;
    }
    return kKinds[0].second;
}

QString resultText(const HistoryEvent& event) {
    switch (event.outcome) {
        case Outcome::Done:
            return kDone;
        case Outcome::Missed:
            return kMissed;
        case Outcome::Failed:
            return event.reason.isEmpty() ? kFailed : kFailed + kReasonMark + event.reason;
        case Outcome::Held:
            return kHeld;
        case Outcome::Skipped:
            return kSkipped;
        case Outcome::Cancelled:
            return event.reason.isEmpty() ? kCancelled : kCancelled + kReasonMark + event.reason;
    }
    return kDone;
}

QByteArray historyLine(const HistoryEvent& event) {
    const QString line = event.when.toString(kTimeFormat) + kSeparator + kindLabel(event.kind) + kSeparator +
                         oneLine(event.what) + kSeparator + oneLine(resultText(event));
    return line.toUtf8() + "\r\n";
}

std::optional<HistoryEvent> parseHistoryLine(QStringView line) {
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    const QList<QStringView> fields = line.split(kSeparator);
    if (fields.size() != kFields)
        return std::nullopt;
    HistoryEvent event;
    event.when = QDateTime::fromString(fields[0].toString(), kTimeFormat);
    if (!event.when.isValid())
        return std::nullopt;
    bool known = false;
    for (const auto& [k, label] : kKinds) {
        if (fields[1] == label) {
            event.kind = k;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    event.what = fields[2].toString();
    const QStringView result = fields[3];
    if (result == kDone) {
        event.outcome = Outcome::Done;
    } else if (result == kMissed) {
        event.outcome = Outcome::Missed;
    } else if (result == kHeld) {
        event.outcome = Outcome::Held;
    } else if (result == kSkipped) {
        event.outcome = Outcome::Skipped;
    } else if (result.startsWith(kFailed) || result.startsWith(kCancelled)) {
        const bool failed = result.startsWith(kFailed);
        event.outcome = failed ? Outcome::Failed : Outcome::Cancelled;
        const QStringView rest = result.sliced((failed ? kFailed : kCancelled).size());
        if (!rest.isEmpty() && !rest.startsWith(kReasonMark))
            return std::nullopt;
        event.reason = rest.isEmpty() ? QString() : rest.sliced(kReasonMark.size()).toString();
    } else {
        return std::nullopt;
    }
    return event;
}

QString historyFileName(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM")) + QStringLiteral(".log");
}

QString describeEntry(const QString& entry) {
    const EntryFields f = splitEntry(entry);
    const bool commented = !f.comment.isEmpty() && f.comment != grammar::kNoComment;
    return f.time + QLatin1Char(' ') + (commented ? f.comment + QLatin1Char(' ') : QString()) + f.response;
}

}  // namespace quel
