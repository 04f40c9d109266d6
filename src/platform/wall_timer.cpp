#include "platform/wall_timer.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

namespace quel {

KernelWallTimer::KernelWallTimer(QObject* parent)
    : WallTimer(parent), fd_(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (fd_ < 0)
        return;
    auto* notifier = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        std::uint64_t expirations = 0;
        // A timer re-armed between the kernel's ring and this read has nothing to read: not a ring.
        if (read(fd_, &expirations, sizeof expirations) == static_cast<ssize_t>(sizeof expirations))
            emit rang();
    });
}

KernelWallTimer::~KernelWallTimer() {
    if (fd_ >= 0)
        close(fd_);
}

void KernelWallTimer::ringAt(qint64 msecsSinceEpoch) {
    // A moment at or before the epoch would read as "disarm" to the kernel.
    arm(qMax<qint64>(msecsSinceEpoch, 1));
}

void KernelWallTimer::stop() {
    arm(0);
}

void KernelWallTimer::arm(qint64 msecsSinceEpoch) {
    if (fd_ < 0)
        return;
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(msecsSinceEpoch / 1000);
    when.it_value.tv_nsec = static_cast<long>(msecsSinceEpoch % 1000) * 1000000L;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

}  // namespace quel
