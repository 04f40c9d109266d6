#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quel {

// Time since the computer started, in whole hours, minutes and seconds.
struct Uptime {
    qint64 hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool operator==(const Uptime&) const = default;
};

// Integer arithmetic: a floating-point split of 3,660,000 ms reads 1:0:60 instead of 1:1:0.
Uptime splitUptime(qint64 msecsSinceBoot);

// The locale's long time format without its time-zone part: the status line shows the time of day as
// the desktop writes it, seconds included.
QString timeFormatWithSeconds(const QLocale& locale);

// "系统>08:05:10 内部>8:05:09 开机>2:3:4 星期三": system time, program clock, uptime and weekday, the
// status line of a tick that fired nothing. `timeFormat` comes from timeFormatWithSeconds().
QString statusLine(const QDateTime& now, const QString& clockText, qint64 msecsSinceBoot,
                   const QLocale& locale, const QString& timeFormat);

// "开机2时3分 星期三": the status label before the first tick.
QString startupUptimeLabel(qint64 msecsSinceBoot, const QDate& today);

}  // namespace quel
