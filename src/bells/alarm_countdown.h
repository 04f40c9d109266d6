#pragma once

#include <QString>
#include <optional>

#include "bells/alarm_rules.h"

namespace quel::alarm {

inline const QString kCountDownIdle = QStringLiteral("倒计时<");

// The count-down: a length in units, counted in the ticks that fire no entry. It holds what the panel
// keeps out of sight: the remaining count and the elapsed ticks.
class CountDown {
public:
    // The length input changed or one of its items was picked: count from that text again.
    void restart(const QString& lengthText);

    // One tick. True on the tick the remaining count reaches zero: the alarm sound plays. A length that
    // is not a whole number, or nothing left to count, leaves the count-down idle.
    bool step(const QString& lengthText, Unit unit);

    // "倒计时<" while idle, the elapsed ticks and "<" while counting.
    QString display() const { return display_; }
    qint64 elapsed() const { return elapsed_; }
    // nullopt when the length last chosen was not a number.
    std::optional<double> remaining() const { return remaining_; }

private:
    void reset();

    std::optional<double> remaining_ = 0.0;
    qint64 elapsed_ = 0;
    QString display_ = kCountDownIdle;
};

}  // namespace quel::alarm
