#include "shell/unattended.h"

#include <QAction>
#include <QLabel>

#include "bells/alarm.h"
#include "bells/alarm_panel.h"
#include "bells/chime.h"
#include "engine/clock_tick.h"
#include "engine/next_entry.h"
#include "history/history.h"
#include "history/history_window.h"
#include "history/keep_awake.h"
#include "platform/platform.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "schedule/schedule_list.h"
#include "schedule/table_document.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"

namespace quel {

namespace {

const QString kCannotPlay = QStringLiteral("无法播放");
const QString kCannotStart = QStringLiteral("程序无法启动");
const QString kCannotRead = QStringLiteral("无法读取");
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
    connect(&parts_.table, &TableDocument::changed, this, &Unattended::tableChanged);
}

Unattended::~Unattended() = default;

void Unattended::load() {
    keepAwake_->load();
    parts_.menus.keepAwake->setChecked(keepAwake_->isOn());
    const bool onTheSecond = readSwitch(SettingsStore(parts_.platform.files, parts_.platform.programFolder),
                                        settings::kOnTheSecond, false);
    parts_.menus.onTheSecond->setChecked(onTheSecond);
    parts_.tick.setOnTheSecond(onTheSecond);
    showNext();
}

void Unattended::wireHistory() {
    History& h = *history_;
    connect(&parts_.tick, &ClockTick::fired, this, [&h](const QString& entry, bool started) {
        h.record(HistoryKind::Entry, describeEntry(entry), started ? Outcome::Done : Outcome::Failed,
                 started ? QString() : kCannotStart);
    });
    connect(&parts_.tick, &ClockTick::missed, this, [&h](const QString& entry, const QDateTime& due) {
        h.recordAt(due, HistoryKind::Entry, describeEntry(entry), Outcome::Missed);
    });
    connect(&parts_.tick, &ClockTick::resynced, this,
            [&h](const ProgramClock& from, const ProgramClock& to, ResyncReason reason) {
                h.record(HistoryKind::Clock, resyncText(from, to, reason));
            });
    connect(&parts_.chime, &Chime::struck, this, [&h](const ProgramClock& clock, const QString& sound) {
        h.record(HistoryKind::Chime, clock.text() + QLatin1Char(' ') + sound);
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
        connect(player, &Media::failed, this, [&h](const QString& path) {
            h.record(HistoryKind::Sound, path, Outcome::Failed, kCannotPlay);
        });
    }
    connect(&h, &History::recorded, this, &Unattended::notifyFailure);
    connect(&h, &History::writeFailed, this, [this](const QString& path) {
        parts_.platform.tray.showWarning(version::title(), QStringLiteral("历史记录无法写入：") + path);
    });
}

void Unattended::wireMenus() {
    MainMenus& m = parts_.menus;
    connect(m.keepAwake, &QAction::triggered, keepAwake_, &KeepAwake::setOn);
    connect(m.onTheSecond, &QAction::triggered, this, &Unattended::setOnTheSecond);
    connect(m.history, &QAction::triggered, this, &Unattended::openHistory);
}

// Every tick: the look-ahead is cheap, and the label and the tray tip change only when the text does.
void Unattended::showNext() {
    const ClockTick& tick = parts_.tick;
    const QDate day = tick.programDay().isValid() ? tick.programDay() : parts_.platform.clock.now().date();
    const QStringList& entries = parts_.table.entries();
    const std::optional<DueEntry> next = nextDue(entries, tick.programClock(), day);
    parts_.list.markEntry(next ? entries[next->index] : QString());
    const QString text =
        next ? nextEntryText(entries[next->index], next->second - secondOfDay(tick.programClock()))
             : kNoNextEntry;
    if (text != nextText_) {
        nextText_ = text;
        parts_.nextLabel.setText(text);
    }
    // Compared with the icon's own tip: adding the icon again sets the plain one.
    const QString tip = version::titleWithVersion() + QLatin1Char('\n') + text;
    if (parts_.platform.tray.tip() != tip)
        parts_.platform.tray.setTip(tip);
}

void Unattended::tableChanged() {
    const TableDocument& table = parts_.table;
    if (table.generation() != tableGeneration_) {
        tableGeneration_ = table.generation();
        if (table.fileState() == TableFileState::Unreadable)
            history_->record(HistoryKind::Table, table.currentPath(), Outcome::Failed, kCannotRead);
    }
    showNext();
}

void Unattended::notifyFailure(const HistoryEvent& event) {
    if (event.outcome != Outcome::Failed)
        return;
    parts_.platform.tray.showWarning(version::title(), kindLabel(event.kind) + QLatin1Char(' ') + event.what +
                                                           QLatin1Char(' ') + resultText(event));
}

void Unattended::setOnTheSecond(bool on) {
    writeSwitch(SettingsStore(parts_.platform.files, parts_.platform.programFolder), settings::kOnTheSecond,
                on);
    parts_.tick.setOnTheSecond(on);
}

void Unattended::openHistory() {
    if (!historyWindow_) {
        historyWindow_ = new HistoryWindow(*history_, &parts_.window);
        historyWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

}  // namespace quel
