#include "shell/reset_defaults.h"

#include "bells/chime_rules.h"
#include "platform/autostart.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"

namespace quel {

namespace {
const QString kYes = QStringLiteral("YES");
const QString kNo = QStringLiteral("NO");

// Nothing there, or a value with nothing in it: no entry or track can be lost by making it anew. A
// document that stands there unreadable is left alone.
bool holdsNothing(const SettingsStore& store, const QString& name) {
    const ReadResult read = store.files().readFile(store.pathForReading(name), Files::kDocumentCap);
    if (read.status == ReadStatus::Missing)
        return true;
    return read.status == ReadStatus::Read &&
           fileformat::firstField(fileformat::decode(read.bytes)).trimmed().isEmpty();
}
}  // namespace

bool startWithSessionOn(const SettingsStore& store, Autostart& autostart, const QString& executable) {
    autostart.enable(executable);
    return store.writeText(settings::kAutoRun, kYes);
}

bool startWithSessionOff(const SettingsStore& store, Autostart& autostart) {
    autostart.disable();
    return store.writeText(settings::kAutoRun, kNo);
}

bool writeResetDefaults(const SettingsStore& store, Autostart& autostart, const QString& executable,
                        ResetDocuments documents) {
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
    const bool empty = documents == ResetDocuments::Empty;
    if (empty || holdsNothing(store, kDefaultTable))
        ok = store.writeText(kDefaultTable, QString()) && ok;
    if (empty || holdsNothing(store, kDefaultPlayList))
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
