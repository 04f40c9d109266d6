#include "engine/status_line.h"

#include "engine/recurrence.h"

namespace quel {

namespace {
constexpr qint64 kMsecsPerSecond = 1000;
constexpr qint64 kMsecsPerMinute = 60 * kMsecsPerSecond;
constexpr qint64 kMsecsPerHour = 60 * kMsecsPerMinute;
}  // namespace

Uptime splitUptime(qint64 msecsSinceBoot) {
    const qint64 ms = qMax<qint64>(0, msecsSinceBoot);
    return {ms / kMsecsPerHour, int(ms % kMsecsPerHour / kMsecsPerMinute),
            int(ms % kMsecsPerMinute / kMsecsPerSecond)};
}

QString timeFormatWithSeconds(const QLocale& locale) {
    // A QTime has no zone, so the zone field would print a wrong "UTC"; drop it and the blanks beside it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    return kept.simplified();
}

QString statusLine(const QDateTime& now, const QString& clockText, qint64 msecsSinceBoot,
                   const QLocale& locale, const QString& timeFormat) {
    const Uptime up = splitUptime(msecsSinceBoot);
    return QStringLiteral("系统>") + locale.toString(now.time(), timeFormat) + QStringLiteral(" 内部>") +
           clockText + QStringLiteral(" 开机>") + QString::number(up.hours) + QLatin1Char(':') +
           QString::number(up.minutes) + QLatin1Char(':') + QString::number(up.seconds) + QLatin1Char(' ') +
           weekdayName(now.date());
}

QString startupUptimeLabel(qint64 msecsSinceBoot, const QDate& today) {
    const Uptime up = splitUptime(msecsSinceBoot);
    return QStringLiteral("开机") + QString::number(up.hours) + QStringLiteral("时") +
           QString::number(up.minutes) + QStringLiteral("分 ") + weekdayName(today);
}

}  // namespace quel
