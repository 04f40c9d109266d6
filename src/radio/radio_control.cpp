#include "radio/radio_control.h"

#include "platform/files.h"
#include "platform/line_in.h"
#include "platform/settings_names.h"

namespace quel {

RadioSetting radio::settingOf(std::optional<qint16> radioNumber, const QString& source) {
    if (!radioNumber || *radioNumber == kNotSetUp)
        return {};
    return {true, source};
}

RadioControl::RadioControl(LineIn& lineIn, Files& files, QString programFolder, QObject* parent)
    : QObject(parent), lineIn_(lineIn), settings_(files, std::move(programFolder)), setting_(read()) {}

void RadioControl::radio(bool on) {
    if (!setting_.setUp) {
        emit notSetUp();
        return;
    }
    lineIn_.setOn(on, setting_.source);
}

bool RadioControl::save(const RadioSetting& setting) {
    const QString source = setting.setUp ? setting.source : QString();
    // The source first: should Radio.txt then fail, it still holds what it held, with its meaning.
    const bool written =
        settings_.writeText(settings::kRadioSource, source) &&
        settings_.writeNumber(settings::kRadio, setting.setUp ? radio::kSetUp : radio::kNotSetUp);
    const bool wasSetUp = setting_.setUp;
    setting_ = read();
    // A radio left playing when its line is given up could no longer be silenced by any entry.
    if (wasSetUp && !setting_.setUp)
        lineIn_.setOn(false, {});
    return written;
}

RadioSetting RadioControl::read() const {
    const std::optional<qint16> number = settings_.number(settings::kRadio);
    return radio::settingOf(number, settings_.text(settings::kRadioSource));
}

}  // namespace quel
