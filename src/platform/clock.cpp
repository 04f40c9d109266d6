#include "platform/clock.h"

#include <time.h>

namespace quel {

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

qint64 SystemClock::msecsSinceBoot() const {
    // CLOCK_BOOTTIME keeps counting while the machine sleeps, like the uptime the operator expects.
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace quel
