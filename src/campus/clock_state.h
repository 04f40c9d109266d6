#pragma once

#include <QDBusConnection>
#include <QString>

namespace quel::campus {

// Whether this machine's clock is kept by a time service. Bells of several buildings ring together only
// when every clock is; the program can only tell, not fix it.
struct ClockState {
    enum class Sync { Synchronized, NotSynchronized, Unknown };
    Sync sync = Sync::Unknown;
    QString detail;  // what was read, for the status and the history

    bool operator==(const ClockState&) const = default;
};

class ClockStateReader {
public:
    virtual ~ClockStateReader() = default;
    virtual ClockState read() = 0;
};

// The state in the text `chronyc tracking` prints: its leap status says whether chrony is synchronised.
ClockState parseChronyTracking(const QString& text);

// systemd-timedated's NTPSynchronized over the system bus, and chrony's own account when timedated
// cannot tell (it is missing, or the bus is). Each read waits at most a second for either.
class SystemClockState final : public ClockStateReader {
public:
    explicit SystemClockState(QDBusConnection bus, QString chronyc = QStringLiteral("/usr/bin/chronyc"))
        : bus_(std::move(bus)), chronyc_(std::move(chronyc)) {}
    ClockState read() override;

private:
    QDBusConnection bus_;
    QString chronyc_;
};

}  // namespace quel::campus
