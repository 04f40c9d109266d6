#include "shell/startup_settings.h"

#include "engine/chime_rules.h"
#include "platform/settings_names.h"

namespace quel {

namespace {
Choice choose(const QString& value, const QString& first, const QString& second) {
    if (value == first)
        return Choice::First;
    if (value == second)
        return Choice::Second;
    return Choice::Neither;
}
}  // namespace

bool resetDue(const SettingsStore& store) {
    const auto n = store.number(settings::kResetSystem);
    return !n || *n == 0;
}

int readTickInterval(const SettingsStore& store) {
    constexpr int kDefaultInterval = 1000;
    const auto n = store.number(settings::kInterval);
    return n && *n > 0 ? *n : kDefaultInterval;
}

Choice readAutoRun(const SettingsStore& store) {
    return choose(store.text(settings::kAutoRun), QStringLiteral("YES"), QStringLiteral("NO"));
}

QString readTollSetting(const SettingsStore& store) {
    QString toll = store.text(settings::kToll);
    if (!chime::switchOf(toll)) {
        store.writeText(settings::kToll, chime::kOn + chime::prefix(store.folder(), chime::Sound::A));
        toll = store.text(settings::kToll);
    }
    return toll;
}

QString readDefaultTablePath(const SettingsStore& store) {
    const QString path = store.text(settings::kDefaultDtt);
    if (!path.isEmpty() && store.files().exists(path))
        return path;
    const QString fallback = store.pathForReading(settings::kDefaultTable);
    store.writeText(settings::kDefaultDtt, fallback);
    return fallback;
}

QString waitCaption(const QString& powerText) {
    return QStringLiteral("当前值:") + powerText.mid(1) + QStringLiteral("秒");
}

Choice readShowState(const SettingsStore& store) {
    return choose(store.text(settings::kShow), QStringLiteral("show"), QStringLiteral("hide"));
}

}  // namespace quel
