#include "history/keep_awake.h"

#include "platform/files.h"
#include "platform/sleep_inhibitor.h"

namespace quel {

namespace {
const QString kYes = QStringLiteral("YES");
const QString kNo = QStringLiteral("NO");
}  // namespace

bool readSwitch(const Files& files, const QString& path, bool byDefault) {
    const QString value = files.readField(path);
    if (value == kYes)
        return true;
    if (value == kNo)
        return false;
    return byDefault;
}

bool writeSwitch(Files& files, const QString& path, bool on) {
    return files.writeText(path, on ? kYes : kNo);
}

KeepAwake::KeepAwake(SleepInhibitor& inhibitor, Files& files, QString settingPath, QObject* parent)
    : QObject(parent), inhibitor_(inhibitor), files_(files), settingPath_(std::move(settingPath)) {}

void KeepAwake::load() {
    on_ = readSwitch(files_, settingPath_, true);
    if (on_)
        inhibitor_.hold();
}

bool KeepAwake::setOn(bool on) {
    if (!writeSwitch(files_, settingPath_, on))
        return false;
    on_ = on;
    if (on)
        inhibitor_.hold();
    else
        inhibitor_.release();
    return true;
}

}  // namespace quel
