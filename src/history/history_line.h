#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

namespace quel {

// What the history tells of: the subject of each line.
enum class HistoryKind {
    Entry,      // 时间表: an entry rang, was missed, or failed
    Chime,      // 整点敲钟
    Alarm,      // 闹铃 at its time
    CountDown,  // 倒计时 at its end
    Broadcast,  // 播音
    PowerOff,   // 关机, 重启, 注销
    Sound,      // a sound that could not be played
    Table,      // a table file that could not be read
    Clock,      // the program clock set to the system clock without the operator asking
    Emergency,  // 紧急广播 started or ended
    Calendar,   // 日历: the table the school calendar chose for a day, and why
    Remote,     // 远程控制: a change made from outside the main window, with the caller
};

// Done only when the thing happened (the sound played, the program started, the power request was
// accepted); Cancelled when the operator stopped it; Held: due while the emergency broadcast sounded, so
// not carried out; Skipped: the bell the operator asked to pass over.
enum class Outcome { Done, Missed, Failed, Cancelled, Held, Skipped };

struct HistoryEvent {
    QDateTime when;
    HistoryKind kind = HistoryKind::Entry;
    QString what;
    Outcome outcome = Outcome::Done;
    QString reason;  // why it failed, or why it was cancelled when not by the operator
    bool operator==(const HistoryEvent&) const = default;
};

QString kindLabel(HistoryKind kind);
// "完成", "错过", "失败：" and the reason, "取消" (and its reason, if any).
QString resultText(const HistoryEvent& event);

// One line of a month file: time, kind, what and result, separated by tabs, ended by CR LF, in UTF-8.
// Tabs and line breaks inside the texts become blanks, so a line always reads back as one event.
QByteArray historyLine(const HistoryEvent& event);
// nullopt for a line that is not one of ours (a torn last line, a hand edit).
std::optional<HistoryEvent> parseHistoryLine(QStringView line);

// "2026-12.log": the file of the month of `day`.
QString historyFileName(const QDate& day);

// "8:00:00 上课铃 /bells/a.wav": an entry as the history names it, its comment left out when it has none.
QString describeEntry(const QString& entry);

}  // namespace quel
