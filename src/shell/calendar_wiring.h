#pragma once

#include <QObject>
#include <QPointer>

#include "calendar/calendar_day.h"
#include "calendar/calendar_document.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace quel {

class CalendarWindow;
class ClockTick;
class History;
class TableDocument;
class Unattended;
struct Platform;

struct CalendarWiringParts {
    Platform& platform;
    ClockTick& tick;
    TableDocument& table;
    History& history;
    Unattended& unattended;
    QMenu& systemMenu;  // gains 日历 and 按法定节假日
    QMainWindow& window;
};

// Lets the school calendar choose each day's table: at start, when the program clock's date changes,
// after a re-sync and when the calendar changes. With nothing set up it does nothing at all, so the
// program rings exactly as it did without it.
class CalendarWiring : public QObject {
    Q_OBJECT
public:
    explicit CalendarWiring(const CalendarWiringParts& parts, QObject* parent = nullptr);
    ~CalendarWiring() override;

    // Start-up, after the default table is loaded and before the tick starts.
    void load();
    const CalendarDocument& document() const { return document_; }
    // "今天：国庆节，不打铃"; empty while the calendar chose nothing.
    const QString& todayText() const { return todayText_; }
    // Why today's table applies ("国庆节，不打铃", "默认作息表"); empty while the calendar chose nothing.
    const QString& todayReason() const { return todayReason_; }

signals:
    // The calendar chose today's table anew; todayReason() tells why.
    void todayChosen();

private:
    void apply(const QDate& date, const DayPlan& plan);
    void openWindow();
    int bellsOn(const QString& table, const QDate& date, int weekday) const;
    // "下一项 10月8日 7:55:00 预备铃": the first entry of the first day after `from` that rings.
    QString nextAfterSilence(const QDate& from) const;

    CalendarWiringParts parts_;
    CalendarDocument document_;
    CalendarDay day_;
    QAction* open_;      // 日历
    QAction* national_;  // 按法定节假日
    QLabel* label_ = nullptr;
    QPointer<CalendarWindow> window_;
    QString todayText_;
    QString todayReason_;
    QString silentNext_;
    QDate warnedOn_;
    bool chose_ = false;
};

}  // namespace quel
