#include "platform/settings_store.h"

namespace quel {

QString SettingsStore::pathForReading(const QString& name) const {
    QString path = folder_;
    for (const QString& part : name.split(QLatin1Char('/')))
        path = nameInFolder(path, part);
    return path;
}

std::optional<qint16> SettingsStore::number(const QString& name) const {
    return fileformat::toNumber(text(name));
}

bool SettingsStore::unreadable(const QString& name) const {
    return files_.readFile(pathForReading(name), Files::kSettingsCap).status == ReadStatus::Unreadable;
}

bool SettingsStore::repairText(const QString& name, const QString& value) const {
    return !unreadable(name) && writeText(name, value);
}

}  // namespace quel
