#include "shell/unattended.h"

#include "shell/elided_label.h"

#include <QAction>
#include <QLabel>
#include <QScopedValueRollback>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "bells/alarm.h"
#include "bells/alarm_panel.h"
#include "bells/chime.h"
#include "bells/tone_fallback.h"
#include "engine/clock_tick.h"
#include "engine/next_entry.h"
#include "engine/tone_cue.h"
#include "history/history.h"
#include "history/history_window.h"
#include "history/keep_awake.h"
#include "platform/media.h"
#include "platform/platform.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "platform/window_place.h"
#include "radio/radio_control.h"
#include "schedule/entry_grammar.h"
#include "schedule/schedule_list.h"
#include "schedule/table_document.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"

namespace quel {

namespace {

const QString kCannotStart = QStringLiteral("程序无法启动");
const QString kCannotRead = QStringLiteral("无法读取");
const QString kProgramEnded = QStringLiteral("程序退出");
// A sound that has played this long without a failure did play; a file that cannot is told within
// milliseconds.
constexpr qint64 kSoundPlayedSeconds = 10;
const QString kCannotSave = QStringLiteral("设置无法保存");

QString resyncText(const ProgramClock& from, const ProgramClock& to, ResyncReason reason) {
    QString why;
    switch (reason) {
        case ResyncReason::Slept:
            why = QStringLiteral("电脑睡眠后醒来");
            break;
        case ResyncReason::WholeHours:
            why = QStringLiteral("系统时钟改了整点数");
            break;
        case ResyncReason::Stepped:
            why = QStringLiteral("系统时钟跳变");
            break;
    }
    return QStringLiteral("内部时钟 ") + from.text() + QStringLiteral(" → ") + to.text() +
           QStringLiteral("（") + why + QStringLiteral("）");
}

// What the operator can do about a clock the steering takes long to follow.
QString steppedText(int offsetSeconds, int catchUpSeconds) {
    constexpr int kMinute = 60;
    const int minutes = (std::abs(offsetSeconds) + kMinute / 2) / kMinute;
    const int catchUpMinutes = (catchUpSeconds + kMinute - 1) / kMinute;
    return QStringLiteral("系统时间调整了%1分钟，程序时钟约%2分钟后追上；立即校时请选 校时 → 自动校时")
        .arg(minutes)
        .arg(catchUpMinutes);
}

QString stalledText(int lateSeconds) {
    return lateSeconds <= kMostSecondsRungLate
               ? QStringLiteral("程序停顿了%1秒，其间到点的项目已补上").arg(lateSeconds)
               : QStringLiteral("程序停顿了%1秒，最后%2秒内到点的项目已补上，更早的记为错过")
                     .arg(lateSeconds)
                     .arg(kMostSecondsRungLate);
}

}  // namespace

Unattended::Unattended(const UnattendedParts& parts, QObject* parent)
    : QObject(parent),
      parts_(parts),
      history_(std::make_unique<History>(
          parts.platform.clock, parts.platform.programFolder + QLatin1Char('/') + settings::kHistoryFolder)),
      keepAwake_(new KeepAwake(parts.platform.sleepInhibitor,
                               SettingsStore(parts.platform.files, parts.platform.programFolder), this)) {
    wireHistory();
    wireMenus();
    connect(&parts_.tick, &ClockTick::secondDone, this, &Unattended::showNext);
    connect(&parts_.tick, &ClockTick::secondDone, this, &Unattended::cueNextTone);
    connect(&parts_.table, &TableDocument::changed, this, &Unattended::tableChanged);
}

// What still waits for its outcome when the program ends is written now, not lost: a sound that had
// not failed did play; a power-off or radio request without its answer did not happen.
Unattended::~Unattended() {
    for (const PendingSound& sound : std::as_const(sounds_))
        settle(sound.event, Outcome::Done);
    for (const QList<Pending>& kind : powerOffs_) {
        for (const Pending& event : kind)
            settle(event, Outcome::Cancelled, kProgramEnded);
    }
    for (const Pending& event : radios_)
        settle(event, Outcome::Failed, kProgramEnded);
}

void Unattended::load() {
    for (ToneFallback* fallback : std::as_const(fallbacks_))
        fallback->setBuiltInTone(parts_.alarm.defaultRing());
    keepAwake_->load();
    parts_.menus.keepAwake->setChecked(keepAwake_->isOn());
    readOnTheSecond();
    showNext();
}

void Unattended::readOnTheSecond() {
    const bool onTheSecond = readSwitch(SettingsStore(parts_.platform.files, parts_.platform.programFolder),
                                        settings::kOnTheSecond, false);
    parts_.menus.onTheSecond->setChecked(onTheSecond);
    parts_.tick.setOnTheSecond(onTheSecond);
}

void Unattended::wireHistory() {
    History& h = *history_;
    connect(&parts_.tick, &ClockTick::fired, this, &Unattended::entryFired);
    connect(&parts_.tick, &ClockTick::missed, this, [&h](const QString& entry, const QDateTime& due) {
        h.recordAt(due, HistoryKind::Entry, describeEntry(entry), Outcome::Missed);
    });
    connect(&parts_.tick, &ClockTick::resynced, this,
            [&h](const ProgramClock& from, const ProgramClock& to, ResyncReason reason) {
                h.record(HistoryKind::Clock, resyncText(from, to, reason));
            });
    connect(&parts_.tick, &ClockTick::stepped, this, [this](int offset, int catchUp) {
        const QString text = steppedText(offset, catchUp);
        history_->record(HistoryKind::Clock, text);
        parts_.platform.tray.showWarning(version::title(), text);
    });
    connect(&parts_.tick, &ClockTick::stalled, this,
            [&h](int late) { h.record(HistoryKind::Clock, stalledText(late)); });
    connect(&parts_.chime, &Chime::struck, this, [this](const ProgramClock& clock, const QString& sound) {
        expectSound(parts_.chimePlayer, {parts_.platform.clock.now(), HistoryKind::Chime,
                                         clock.text() + QLatin1Char(' ') + sound});
    });
    connect(&parts_.alarmPanel, &AlarmPanel::alarmRang, this,
            [this] { history_->record(HistoryKind::Alarm, parts_.alarm.userRing()); });
    connect(&parts_.alarmPanel, &AlarmPanel::countDownEnded, this,
            [this] { history_->record(HistoryKind::CountDown, parts_.alarm.userRing()); });
    // A setting that could not be written holds until the next start only; the operator learns it now,
    // not when the next start brings the old one back.
    connect(&parts_.chime, &Chime::notSaved, this,
            [&h](const QString& path) { h.record(HistoryKind::Chime, path, Outcome::Failed, kCannotSave); });
    connect(&parts_.alarm, &Alarm::notSaved, this,
            [&h](const QString& path) { h.record(HistoryKind::Alarm, path, Outcome::Failed, kCannotSave); });
    for (Media* player : {&parts_.tonePlayer, &parts_.chimePlayer}) {
        auto* fallback = new ToneFallback(*player, this);
        fallbacks_ << fallback;
        // The failure of a sound an event waits for is that event's outcome; any other (the alarm's, a
        // preview) is an event of its own. The built-in tone may ring in its place meanwhile.
        connect(fallback, &ToneFallback::soundFailed, this,
                [this, player](const QString& path, const MediaFault& fault, bool fellBack, bool toldBefore) {
                    // A gone output is told on the tray once; each bell it silences still fails in the
                    // history.
                    const QScopedValueRollback quiet(trayQuiet_, toldBefore);
                    const QString reason = ToneFallback::describe(fault, fellBack);
                    if (std::none_of(sounds_.cbegin(), sounds_.cend(),
                                     [player](const PendingSound& s) { return s.player == player; })) {
                        history_->record(HistoryKind::Sound, path, Outcome::Failed, reason);
                        return;
                    }
                    soundEnded(player, Outcome::Failed, reason);
                });
        connect(player, &Media::endOfStream, this, [this, player] { soundEnded(player, Outcome::Done); });
    }
    wireOutcomes();
    connect(&h, &History::recorded, this, &Unattended::notifyFailure);
    connect(&h, &History::writeFailed, this, [this](const QString& path) {
        parts_.platform.tray.showWarning(version::title(), QStringLiteral("历史记录无法写入：") + path);
    });
}

void Unattended::wireOutcomes() {
    connect(&parts_.tick, &ClockTick::secondDone, this, &Unattended::settleSounds);
    connect(&parts_.powerOff, &PowerOff::settled, this, &Unattended::powerSettled);
    connect(&parts_.radio, &RadioControl::switched, this,
            [this](bool, const QString& failure) { radioSwitched(failure); });
}

void Unattended::entryFired(const QString& entry, bool started) {
    const Pending event{parts_.platform.clock.now(), HistoryKind::Entry, describeEntry(entry)};
    switch (parseResponse(splitEntry(entry).response).kind) {
        case ResponseKind::Tone:
            expectSound(parts_.tonePlayer, event);
            return;
        case ResponseKind::Shutdown:
            powerOffs_[int(PowerAction::Shutdown)] << event;
            return;
        case ResponseKind::Restart:
            powerOffs_[int(PowerAction::Restart)] << event;
            return;
        case ResponseKind::Logoff:
            powerOffs_[int(PowerAction::Logoff)] << event;
            return;
        case ResponseKind::RadioOn:
        case ResponseKind::RadioOff:
            radios_.push_back(event);
            return;
        default:
            settle(event, started ? Outcome::Done : Outcome::Failed, started ? QString() : kCannotStart);
    }
}

void Unattended::settle(const Pending& event, Outcome outcome, const QString& reason) {
    history_->recordAt(event.when, event.kind, event.what, outcome, reason);
}

// The player holds the event's sound now; one it held before gave way to it after it began.
void Unattended::expectSound(Media& player, const Pending& event) {
    soundEnded(&player, Outcome::Done);
    sounds_.append({event, &player, player.fileName()});
}

void Unattended::soundEnded(Media* player, Outcome outcome, const QString& reason) {
    for (qsizetype i = 0; i < sounds_.size(); ++i) {
        if (sounds_[i].player == player) {
            const Pending event = sounds_.takeAt(i).event;
            settle(event, outcome, reason);
            return;
        }
    }
}

void Unattended::settleSounds() {
    const QDateTime now = parts_.platform.clock.now();
    for (qsizetype i = 0; i < sounds_.size();) {
        const PendingSound& s = sounds_[i];
        // Another file (the alarm on the same player) or the same one long enough: it played.
        if (s.player->fileName() != s.file || s.event.when.secsTo(now) >= kSoundPlayedSeconds ||
            s.event.when.secsTo(now) < 0) {
            const Pending event = sounds_.takeAt(i).event;
            settle(event, Outcome::Done);
        } else {
            ++i;
        }
    }
}

void Unattended::powerSettled(PowerAction kind, PowerOff::Result result, const QString& reason) {
    const Outcome outcome = result == PowerOff::Result::Accepted    ? Outcome::Done
                            : result == PowerOff::Result::Cancelled ? Outcome::Cancelled
                                                                    : Outcome::Failed;
    QList<Pending>& waiting = powerOffs_[int(kind)];
    if (waiting.isEmpty()) {
        // 立即关机 from the menu, or a second try from a window whose entry was answered already.
        if (result != PowerOff::Result::Cancelled)
            history_->record(HistoryKind::PowerOff, powerActionName(kind), outcome, reason);
        return;
    }
    for (const Pending& event : std::exchange(waiting, {}))
        settle(event, outcome, reason);
}

void Unattended::radioSwitched(const QString& failure) {
    if (radios_.empty())
        return;
    const Pending event = radios_.front();
    radios_.pop_front();
    settle(event, failure.isEmpty() ? Outcome::Done : Outcome::Failed, failure);
}

void Unattended::wireMenus() {
    MainMenus& m = parts_.menus;
    connect(m.keepAwake, &QAction::triggered, this, [this](bool on) {
        if (!keepAwake_->setOn(on))
            reportUnsaved(*parts_.menus.keepAwake, keepAwake_->isOn(), keepAwake_->settingPath());
    });
    connect(m.onTheSecond, &QAction::triggered, this, &Unattended::setOnTheSecond);
    connect(m.history, &QAction::triggered, this, &Unattended::openHistory);
}

// Every tick: the look-ahead is cheap, and the label and the tray tip change only when the text does.
void Unattended::showNext() {
    const ClockTick& tick = parts_.tick;
    const QDate day = tick.programDay().isValid() ? tick.programDay() : parts_.platform.clock.now().date();
    const QStringList& entries = parts_.table.entries();
    const DayRule rule = tick.dayRule(day);
    const std::optional<DueEntry> next =
        rule.silent ? std::nullopt : nextDue(entries, tick.programClock(), day, rule.ringsAs);
    parts_.list.markEntry(next ? entries[next->index] : QString());
    QString text = next ? nextEntryText(entries[next->index], next->second - secondOfDay(tick.programClock()))
                        : kNoNextEntry;
    if (rule.silent && silentDayNext_)
        text = silentDayNext_();
    if (text != nextText_) {
        nextText_ = text;
        parts_.nextLabel.setFullText(text);
    }
    // Compared with the icon's own tip: adding the icon again sets the plain one.
    const QString tip = version::titleWithVersion() + QLatin1Char('\n') + text;
    if (parts_.platform.tray.tip() != tip)
        parts_.platform.tray.setTip(tip);
}

// The tone of the next entry opened a few seconds ahead, so that its second only has to start it.
void Unattended::cueNextTone() {
    const ClockTick& tick = parts_.tick;
    Media& player = parts_.tonePlayer;
    const DayRule rule = tick.dayRule(tick.programDay());
    const TonePlayerState state = player.isCued()               ? TonePlayerState::Cued
                                  : player.fileName().isEmpty() ? TonePlayerState::Idle
                                                                : TonePlayerState::Busy;
    const ToneCueStep step =
        nextToneCue({parts_.table.entries(), tick.programClock(), tick.programDay(), rule.ringsAs,
                     rule.silent, tick.skippingNextBell(), state, player.fileName()});
    if (step.action != ToneCueStep::Action::Keep)
        player.cue(step.path);
}

void Unattended::tableChanged() {
    const TableDocument& table = parts_.table;
    if (table.generation() != tableGeneration_) {
        tableGeneration_ = table.generation();
        if (table.fileState() == ReadStatus::Unreadable)
            history_->record(HistoryKind::Table, table.currentPath(), Outcome::Failed, kCannotRead);
    }
    showNext();
}

void Unattended::notifyFailure(const HistoryEvent& event) {
    if (event.outcome != Outcome::Failed || trayQuiet_)
        return;
    parts_.platform.tray.showWarning(version::title(), kindLabel(event.kind) + QLatin1Char(' ') + event.what +
                                                           QLatin1Char(' ') + resultText(event));
}

void Unattended::setOnTheSecond(bool on) {
    const SettingsStore store(parts_.platform.files, parts_.platform.programFolder);
    if (!writeSwitch(store, settings::kOnTheSecond, on)) {
        reportUnsaved(*parts_.menus.onTheSecond, parts_.tick.onTheSecond(),
                      store.pathForWriting(settings::kOnTheSecond));
        return;
    }
    parts_.tick.setOnTheSecond(on);
}

// A switch whose file could not be written stays as it was, and the operator is told, as for every
// other setting of the menus.
void Unattended::reportUnsaved(QAction& item, bool kept, const QString& path) {
    item.setChecked(kept);
    parts_.platform.dialogs.message(version::title(), QStringLiteral("无法保存文件：") + path,
                                    MessageIcon::Error);
}

void Unattended::openHistory() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(*history_, &parts_.window);
        historyWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    showOver(historyWindow_, &parts_.window);
}

}  // namespace quel
