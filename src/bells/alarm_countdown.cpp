#include "bells/alarm_countdown.h"

#include <cmath>

namespace quel::alarm {

namespace {

constexpr qint64 kTicksPerMinute = 60;
constexpr qint64 kTicksPerHour = 3600;

// Whether this elapsed tick completes one unit of the count.
bool unitElapsed(Unit unit, qint64 elapsed) {
    switch (unit) {
        case Unit::Second:
            return true;
        case Unit::Minute:
            return elapsed % kTicksPerMinute == 0;
        case Unit::Hour:
            return elapsed % kTicksPerHour == 0;
    }
    return false;
}

}  // namespace

void CountDown::restart(const QString& lengthText) {
    remaining_ = readNumber(lengthText);
    elapsed_ = 0;
}

bool CountDown::step(const QString& lengthText, Unit unit) {
    const std::optional<double> length = readNumber(lengthText);
    if (!length || std::floor(*length) != *length || !remaining_ || *remaining_ <= 0) {
        reset();
        return false;
    }
    ++elapsed_;
    display_ = QString::number(elapsed_) + QLatin1Char('<');
    if (!unitElapsed(unit, elapsed_))
        return false;
    *remaining_ -= 1;
    return *remaining_ == 0;
}

void CountDown::reset() {
    display_ = kCountDownIdle;
    elapsed_ = 0;
}

}  // namespace quel::alarm
