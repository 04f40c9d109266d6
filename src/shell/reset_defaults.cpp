#include "shell/reset_defaults.h"

#include "engine/chime_rules.h"
#include "platform/autostart.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "shell/settings_store.h"

namespace quel {

namespace {
const QString kYes = QStringLiteral("YES");
const QString kNo = QStringLiteral("NO");
}  // namespace

bool startWithSessionOn(const SettingsStore& store, Autostart& autostart, const QString& executable) {
    autostart.enable(executable);
    return store.writeText(settings::kAutoRun, kYes);
}

bool startWithSessionOff(const SettingsStore& store, Autostart& autostart) {
    autostart.disable();
    return store.writeText(settings::kAutoRun, kNo);
}

bool writeResetDefaults(const SettingsStore& store, Autostart& autostart, const QString& executable) {
    using namespace settings;
    bool ok = startWithSessionOn(store, autostart, executable);
    ok = store.writeText(kTimeSet, QStringLiteral("minute")) && ok;
    ok = store.writeText(kToll, chime::kOff + chime::prefix(store.folder(), chime::Sound::A)) && ok;
    ok = store.writeText(kShow, QStringLiteral("show")) && ok;
    ok = store.writeText(kShut, QStringLiteral("开60")) && ok;
    ok = store.writeText(kRestart, QStringLiteral("开60")) && ok;
    ok = store.writeText(kLogoff, QStringLiteral("开60")) && ok;
    ok = store.writeText(kPlayOrder, QStringLiteral("1")) && ok;
    ok = store.writeNumber(kPlayerActive, 1) && ok;
    ok = store.writeText(kDefaultTable, QString()) && ok;
    ok = store.files().write(store.pathForWriting(kDefaultPlayList), QByteArray()) && ok;
    ok = store.writeNumber(kResetSystem, 1) && ok;
    ok = store.writeText(kDefaultDtt, kResetMarker) && ok;
    ok = store.writeText(kDefaultPlf, kResetMarker) && ok;
    ok = store.writeText(kUserWav, store.pathForWriting(installed::kAlarmSound)) && ok;
    ok = store.writeNumber(kInterval, 1000) && ok;
    ok = store.writeNumber(kRadio, 1) && ok;
    ok = store.writeText(kKeepAwake, kYes) && ok;
    ok = store.writeText(kOnTheSecond, kNo) && ok;
    return ok;
}

}  // namespace quel
