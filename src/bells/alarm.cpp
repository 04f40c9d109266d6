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
      files_(platform.files),
      dialogs_(platform.dialogs),
      programFolder_(platform.programFolder),
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
    return samePath(resolveInFolder(programFolder_, userRing_), defaultRing_);
}

void Alarm::ring() {
    // The Windows version wrote its paths in capitals; a sound in the program folder is found in any case.
    tone_.setFileName(resolveInFolder(programFolder_, userRing_));
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
            files_.writeText(programFolder_ + QLatin1Char('/') + settings::kTimeSet, names.stored);
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
    const QString chosen = dialogs_.openFile({kChooseRingTitle, programFolder_, kChooseRingFilter});
    if (!chosen.isEmpty()) {
        userRing_ = chosen;
        emit changed();
        ring();
    }
    saveRing();
}

void Alarm::saveRing() {
    files_.writeText(programFolder_ + QLatin1Char('/') + settings::kUserWav, userRing_);
}

}  // namespace quel
