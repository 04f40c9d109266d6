#include "power/power_rules.h"

#include <cmath>

namespace quel::power {

namespace {

constexpr char16_t kFullWidthZero = u'\uFF10';
constexpr char16_t kFullWidthNine = u'\uFF19';

// The seconds part of a marked setting; empty for one without a mark.
QString secondsText(const QString& setting) {
    return confirmationOf(setting) ? setting.mid(1) : QString();
}

std::optional<int> digitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c.unicode() >= kFullWidthZero && c.unicode() <= kFullWidthNine)
        return c.unicode() - kFullWidthZero;
    return std::nullopt;
}

}  // namespace

std::optional<bool> confirmationOf(const QString& setting) {
    if (setting.startsWith(kOn))
        return true;
    if (setting.startsWith(kOff))
        return false;
    return std::nullopt;
}

int waitingSeconds(const QString& setting) {
    bool ok = false;
    const double seconds = secondsText(setting).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 1)
        return kDefaultSeconds;
    if (seconds > kMaxSeconds)
        return kMaxSeconds;
    return static_cast<int>(seconds);
}

QString withConfirmation(const QString& setting, bool on) {
    const QString seconds = secondsText(setting);
    return (on ? kOn : kOff) + (seconds.isEmpty() ? QString::number(kDefaultSeconds) : seconds);
}

QString withSeconds(const QString& setting, int seconds) {
    const bool on = confirmationOf(setting).value_or(true);
    return (on ? kOn : kOff) + QString::number(seconds);
}

std::optional<int> parseWaitAnswer(const QString& answer) {
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        const std::optional<int> digit = digitValue(c);
        if (!digit)
            return std::nullopt;
        value = value * 10 + *digit;
        if (value > kMaxSeconds)
            return std::nullopt;
    }
    if (value < kMinSetSeconds)
        return std::nullopt;
    return value;
}

}  // namespace quel::power

namespace quel {

void PowerCountdown::start(int seconds) {
    maximum_ = seconds;
    left_ = seconds;
    requested_ = false;
}

PowerCountdown::Step PowerCountdown::step() {
    if (left_ > 0) {
        --left_;
        return Step::Continue;
    }
    if (requested_)
        return Step::Continue;
    requested_ = true;
    return Step::Request;
}

}  // namespace quel
