#include "platform/clock.h"

#include <time.h>

namespace quel {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

namespace {
qint64 msecsOf(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

// CLOCK_BOOTTIME keeps counting while the machine sleeps, like the uptime the operator expects.
qint64 SystemClock::msecsSinceBoot() const {
    return msecsOf(CLOCK_BOOTTIME);
}

qint64 SystemClock::msecsMonotonic() const {
    return msecsOf(CLOCK_MONOTONIC);
}

}  // namespace quel
