#include "shell/calendar_wiring.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

#include "calendar/calendar_window.h"
#include "engine/clock_tick.h"
#include "engine/next_entry.h"
#include "engine/recurrence.h"
#include "history/history.h"
#include "platform/platform.h"
#include "schedule/entry_grammar.h"
#include "schedule/table.h"
#include "schedule/table_document.h"
#include "schedule/table_file.h"
#include "shell/app.h"
#include "shell/info/version.h"
#include "shell/unattended.h"

namespace quel {

namespace {

QString shippedNational(const Platform& platform) {
    if (platform.executable.isEmpty())
        return {};
    return installedDataDir(QFileInfo(platform.executable).absolutePath()) +
           QStringLiteral("/holidays/china.txt");
}

}  // namespace

CalendarWiring::CalendarWiring(const CalendarWiringParts& parts, QObject* parent)
    : QObject(parent),
      parts_(parts),
      document_(parts.platform.files, parts.platform.programFolder, shippedNational(parts.platform)),
      day_([this] {
          const QDate day = parts_.tick.programDay();
          return day.isValid() ? day : parts_.platform.clock.now().date();
      }) {
    parts_.systemMenu.addSeparator();
    open_ = parts_.systemMenu.addAction(QStringLiteral("日历"));
    open_->setObjectName(QStringLiteral("MenuCalendar"));
    national_ = parts_.systemMenu.addAction(QStringLiteral("按法定节假日"));
    national_->setObjectName(QStringLiteral("MenuHolidays"));
    national_->setCheckable(true);

    connect(open_, &QAction::triggered, this, &CalendarWiring::openWindow);
    connect(national_, &QAction::triggered, this, [this](bool on) {
        const QString refusal = document_.setNationalOn(on);
        if (!refusal.isEmpty())
            parts_.platform.dialogs.message(version::title(), refusal, MessageIcon::Warning);
        national_->setChecked(document_.calendar().nationalOn());
    });
    connect(&document_, &CalendarDocument::changed, this, [this] {
        national_->setChecked(document_.calendar().nationalOn());
        day_.setCalendar(document_.calendar());
    });
    connect(&day_, &CalendarDay::chosen, this, &CalendarWiring::apply);
    connect(&parts_.tick, &ClockTick::advanced, &day_, &CalendarDay::check);
    connect(&parts_.tick, &ClockTick::resynced, &day_, &CalendarDay::recheck);
    document_.setStampSource([this] { return parts_.platform.clock.now(); });
    parts_.unattended.setSilentDayNext([this] { return silentNext_; });
    // Asked every second and for every day a jump passed over; nothing set up, nothing changes.
    parts_.tick.setDayRules([this](const QDate& day) {
        if (!chose_)
            return DayRule{};
        const DayPlan plan = document_.calendar().dayPlan(day);
        return DayRule{plan.weekday == day.dayOfWeek() ? 0 : plan.weekday, plan.silent};
    });
}

CalendarWiring::~CalendarWiring() = default;

void CalendarWiring::load() {
    for (const QString& problem : document_.load())
        parts_.history.record(HistoryKind::Calendar, problem, Outcome::Failed);
}

void CalendarWiring::apply(const QDate& date, const DayPlan& plan) {
    // Nothing set up, and nothing chosen before in this run: the tables stay the operator's.
    if (!document_.calendar().isSetUp() && !chose_)
        return;
    chose_ = true;
    // Worked out once a day: it reads the tables of the days ahead.
    silentNext_ = plan.silent ? nextAfterSilence(date) : QString();
    if (!plan.silent) {
        const QString table = plan.table.isEmpty() ? parts_.table.defaultPath() : plan.table;
        if (!samePath(table, parts_.table.currentPath()))
            parts_.table.load(table);
    }
    const QString why = describe(plan);
    todayReason_ = why.isEmpty() ? QStringLiteral("默认作息表") : why;
    todayText_ = QStringLiteral("今天：") + todayReason_;
    parts_.history.record(HistoryKind::Calendar, date.toString(Qt::ISODate) + QLatin1Char(' ') + todayText_);
    if (!label_) {
        label_ = new QLabel(&parts_.window);
        label_->setObjectName(QStringLiteral("LabelCalendar"));
        parts_.window.statusBar()->addPermanentWidget(label_, 1);
    }
    label_->setText(todayText_);
    emit todayChosen();
    const QString runsOut = dataRunsOutText(document_.calendar(), date);
    if (!runsOut.isEmpty() && warnedOn_ != date) {
        warnedOn_ = date;
        parts_.history.record(HistoryKind::Calendar, runsOut, Outcome::Failed);
        parts_.platform.tray.showWarning(version::title(), runsOut);
    }
}

int CalendarWiring::bellsOn(const QString& table, const QDate& date, int weekday) const {
    const QString path = table.isEmpty() ? parts_.table.defaultPath() : table;
    const std::optional<QString> text = readTableText(parts_.platform.files, path);
    if (!text)
        return 0;
    int bells = 0;
    for (const QString& entry : splitTableText(*text))
        bells += responseMarkWhenHolds(entry, date, weekday == date.dayOfWeek() ? 0 : weekday) ? 1 : 0;
    return bells;
}

QString CalendarWiring::nextAfterSilence(const QDate& from) const {
    constexpr int kLookAheadDays = 366;
    const SchoolCalendar& calendar = document_.calendar();
    for (std::optional<QDate> day = calendar.nextRingingDay(from.addDays(1));
         day && from.daysTo(*day) <= kLookAheadDays; day = calendar.nextRingingDay(day->addDays(1))) {
        const DayPlan plan = calendar.dayPlan(*day);
        const std::optional<QString> text = readTableText(
            parts_.platform.files, plan.table.isEmpty() ? parts_.table.defaultPath() : plan.table);
        if (!text)
            continue;
        const QStringList entries = splitTableText(*text);
        const int ringsAs = plan.weekday == day->dayOfWeek() ? 0 : plan.weekday;
        const QList<DueEntry> due = dueBetween(entries, *day, 0, kSecondsPerDay - 1, ringsAs);
        if (due.isEmpty())
            continue;
        const EntryFields fields = splitEntry(entries[due.first().index]);
        const bool commented = !fields.comment.isEmpty() && fields.comment != grammar::kNoComment;
        return QStringLiteral("下一项 %1月%2日 %3 %4")
            .arg(day->month())
            .arg(day->day())
            .arg(fields.time, commented ? fields.comment : fields.response);
    }
    return kNoNextEntry;
}

void CalendarWiring::openWindow() {
    if (!window_) {
        window_ = new CalendarWindow(
            document_, parts_.platform.dialogs, parts_.platform.clock,
            parts_.platform.programFolder + QStringLiteral("/DayTimeTable"),
            [this](const QString& t, const QDate& d, int w) { return bellsOn(t, d, w); }, &parts_.window);
        window_->setAttribute(Qt::WA_DeleteOnClose);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace quel
