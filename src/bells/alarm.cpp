#include "bells/alarm.h"

#include "platform/named.h"
#include "platform/settings_names.h"

namespace quel {

namespace {

const QString kChooseRingTitle = QStringLiteral("请选择外部铃声：");
const QString kChooseRingFilter = QStringLiteral(
    "所有可以播放的文件|*.avi;*.asf;*.asx;*.rmi;*.wav;*.wma;*.wax;*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;*.mpe;"
    "*.mid;*.rmi;*.qt;*.aif;*.aifc;*.aiff;*.mov;*.au;*.snd");

// How each unit is stored in `timeset.txt`.
struct StoredUnit {
    alarm::Unit unit;
    QString stored;
};

const StoredUnit kUnits[] = {
    {alarm::Unit::Hour, QStringLiteral("hour")},
    {alarm::Unit::Minute, QStringLiteral("minute")},
    {alarm::Unit::Second, QStringLiteral("second")},
};

}  // namespace

Alarm::Alarm(Platform& platform, Media& tone, QObject* parent)
    : QObject(parent),
      settings_(platform.files, platform.programFolder),
      dialogs_(platform.dialogs),
      tone_(tone) {
    // An empty file name is how the rest of the program tells that the component is idle.
    connect(&tone_, &Media::endOfStream, this, [this] { tone_.setFileName(QString()); });
}

bool Alarm::applyAlarmUnit(const QString& stored) {
    for (const StoredUnit& names : kUnits) {
        if (stored == names.stored) {
            unit_ = names.unit;
            unitKnown_ = true;
            emit changed();
            return true;
        }
    }
    unit_ = alarm::Unit::Minute;
    unitAssumed_ = true;
    emit changed();
    return false;
}

bool Alarm::applyRings(const QString& userRing, const QString& defaultRing) {
    defaultRing_ = defaultRing;
    const bool stored = !userRing.isEmpty();
    userRing_ = stored ? userRing : defaultRing;
    emit changed();
    return stored;
}

bool Alarm::usesDefaultRing() const {
    return samePath(resolveInFolder(settings_.folder(), userRing_), defaultRing_);
}

void Alarm::ring() {
    // The Windows version wrote its paths in capitals; a sound in the program folder is found in any case.
    tone_.setFileName(resolveInFolder(settings_.folder(), userRing_));
    tone_.play();
}

void Alarm::stopSound() {
    tone_.stop();
}

void Alarm::chooseUnit(alarm::Unit unit) {
    unit_ = unit;
    unitKnown_ = true;
    for (const StoredUnit& names : kUnits) {
        if (names.unit == unit)
            save(settings::kTimeSet, names.stored);
    }
    emit changed();
}

void Alarm::useDefaultRing() {
    userRing_ = defaultRing_;
    emit changed();
    ring();
    saveRing();
}

void Alarm::chooseRing() {
    const QString chosen = dialogs_.openFile({kChooseRingTitle, settings_.folder(), kChooseRingFilter});
    if (!chosen.isEmpty()) {
        userRing_ = chosen;
        emit changed();
        ring();
    }
    saveRing();
}

void Alarm::saveRing() {
    save(settings::kUserWav, userRing_);
}

void Alarm::save(const QString& name, const QString& value) {
    if (!settings_.writeText(name, value))
        emit notSaved(settings_.pathForWriting(name));
}

}  // namespace quel
