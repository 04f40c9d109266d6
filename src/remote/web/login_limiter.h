#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>

namespace quel {

// How many password checks a minute the page allows: a few from one address, and a few more from all
// addresses together, so a guesser on many addresses gains little and a check (half a second of a
// core) can never eat the machine. Times are milliseconds of the monotonic clock.
class LoginLimiter {
public:
    static constexpr int kPerAddress = 5;
    static constexpr int kOverall = 20;
    static constexpr qint64 kWindowMs = 60 * 1000;

    // Counts a try and says whether it may be checked; a refused try is not counted, so one that
    // waits out the minute gets in.
    bool admit(const QHostAddress& from, qint64 nowMs);

private:
    void forget(qint64 nowMs);

    QList<qint64> all_;
    QHash<QString, QList<qint64>> byAddress_;
};

}  // namespace quel
