#include "campus/clock_state.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace quel::campus {

namespace {

constexpr int kWaitMs = 1000;

}  // namespace

ClockState parseChronyTracking(const QString& text) {
    static const QRegularExpression leap(QStringLiteral("^Leap status\\s*:\\s*(.+?)\\s*$"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = leap.match(text);
    if (!m.hasMatch())
        return {ClockState::Sync::Unknown, QStringLiteral("chrony 无法读取")};
    const QString status = m.captured(1);
    // "Normal", "Insert second" and "Delete second" are all kept by a server; only this one is not.
    if (status.compare(QLatin1String("Not synchronised"), Qt::CaseInsensitive) == 0)
        return {ClockState::Sync::NotSynchronized, QStringLiteral("chrony 未同步")};
    return {ClockState::Sync::Synchronized, QStringLiteral("chrony 已同步 (%1)").arg(status)};
}

ClockState SystemClockState::read() {
    if (bus_.isConnected()) {
        // A plain call, without the interface object's introspection of the service first: one round
        // trip instead of two.
        QDBusMessage get = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.timedate1") << QStringLiteral("NTPSynchronized");
        const QDBusReply<QDBusVariant> reply = bus_.call(get, QDBus::Block, kWaitMs);
        if (reply.isValid()) {
            return reply.value().variant().toBool()
                       ? ClockState{ClockState::Sync::Synchronized, QStringLiteral("timedated 已同步")}
                       : ClockState{ClockState::Sync::NotSynchronized, QStringLiteral("timedated 未同步")};
        }
    }
    if (!QFileInfo(chronyc_).isExecutable())
        return {ClockState::Sync::Unknown, QStringLiteral("无法读取时钟状态")};
    QProcess chronyc;
    chronyc.start(chronyc_, {QStringLiteral("-n"), QStringLiteral("tracking")});
    if (!chronyc.waitForFinished(kWaitMs)) {
        chronyc.kill();
        chronyc.waitForFinished(kWaitMs);
        return {ClockState::Sync::Unknown, QStringLiteral("chrony 无应答")};
    }
    return parseChronyTracking(QString::fromUtf8(chronyc.readAllStandardOutput()));
}

}  // namespace quel::campus
