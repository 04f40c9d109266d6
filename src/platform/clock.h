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
    // It counts the time the computer slept.
    virtual qint64 msecsSinceBoot() const = 0;
    // Milliseconds of a clock that never jumps and stands still while the computer sleeps. The time
    // since boot running ahead of it tells that the computer slept.
    virtual qint64 msecsMonotonic() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 msecsSinceBoot() const override;
    qint64 msecsMonotonic() const override;
};

}  // namespace quel
