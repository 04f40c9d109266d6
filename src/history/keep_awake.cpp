#include "history/keep_awake.h"

#include "platform/settings_names.h"
#include "platform/sleep_inhibitor.h"

namespace quel {

namespace {
const QString kYes = QStringLiteral("YES");
const QString kNo = QStringLiteral("NO");
}  // namespace

bool readSwitch(const SettingsStore& settings, const QString& name, bool byDefault) {
    const QString value = settings.text(name);
    if (value == kYes)
        return true;
    if (value == kNo)
        return false;
    return byDefault;
}

bool writeSwitch(const SettingsStore& settings, const QString& name, bool on) {
    return settings.writeText(name, on ? kYes : kNo);
}

KeepAwake::KeepAwake(SleepInhibitor& inhibitor, SettingsStore settings, QObject* parent)
    : QObject(parent), inhibitor_(inhibitor), settings_(std::move(settings)) {}

void KeepAwake::load() {
    on_ = readSwitch(settings_, settings::kKeepAwake, true);
    if (on_)
        inhibitor_.hold();
}

bool KeepAwake::setOn(bool on) {
    if (!writeSwitch(settings_, settings::kKeepAwake, on))
        return false;
    on_ = on;
    if (on)
        inhibitor_.hold();
    else
        inhibitor_.release();
    return true;
}

}  // namespace quel
