#pragma once

#include <QDateTime>

namespace quel {

// All time of the program comes from here, so that a test can run days of ticks in seconds.
class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time of the system clock.
    virtual QDateTime now() const = 0;
    // Milliseconds since the computer started; 64-bit, so it does not wrap while the program runs.
    virtual qint64 msecsSinceBoot() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 msecsSinceBoot() const override;
};

}  // namespace quel
