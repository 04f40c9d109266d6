#include "shell/startup_settings.h"

#include "bells/chime_rules.h"
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
    // A reset would overwrite every setting at every start while the file stays unreadable.
    if (store.unreadable(settings::kResetSystem))
        return false;
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
    const QString toll = store.text(settings::kToll);
    if (chime::switchOf(toll))
        return toll;
    const QString repaired = chime::kOn + chime::prefix(store.folder(), chime::Sound::A);
    if (store.unreadable(settings::kToll))
        return repaired;
    store.writeText(settings::kToll, repaired);
    return store.text(settings::kToll);
}

QString readDefaultTablePath(const SettingsStore& store) {
    const QString path = store.text(settings::kDefaultDtt);
    if (!path.isEmpty() && store.files().exists(path))
        return path;
    const QString fallback = store.pathForReading(settings::kDefaultTable);
    store.repairText(settings::kDefaultDtt, fallback);
    return fallback;
}

QString waitCaption(const QString& powerText) {
    return QStringLiteral("当前值:") + powerText.mid(1) + QStringLiteral("秒");
}

Choice readShowState(const SettingsStore& store) {
    return choose(store.text(settings::kShow), QStringLiteral("show"), QStringLiteral("hide"));
}

}  // namespace quel
