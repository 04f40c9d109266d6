#include "radio/radio_control.h"

#include "platform/files.h"
#include "platform/line_in.h"
#include "platform/settings_names.h"

namespace quel {

RadioSetting radio::settingOf(std::optional<qint16> radioNumber, const std::optional<QString>& source) {
    if (!radioNumber || *radioNumber == kNotSetUp || !source)
        return {};
    return {true, *source};
}

RadioControl::RadioControl(LineIn& lineIn, Files& files, QString programFolder, QObject* parent)
    : QObject(parent), lineIn_(lineIn), settings_(files, std::move(programFolder)), setting_(read()) {
    connect(&lineIn_, &LineIn::finished, this, &RadioControl::answered);
    connect(&lineIn_, &LineIn::sourcesListed, this, &RadioControl::sourcesListed);
}

void RadioControl::radio(bool on) {
    if (!setting_.setUp) {
        emit notSetUp();
        post(on, QStringLiteral("收音机线路没有设置"));
        return;
    }
    asked_.push_back(on);
    lineIn_.setOn(on, setting_.source);
}

void RadioControl::listSources() {
    lineIn_.listSources();
}

void RadioControl::answered(bool ok, const QString& failure) {
    if (asked_.empty())
        return;
    const std::optional<bool> entry = asked_.front();
    asked_.pop_front();
    if (entry)
        post(*entry, ok ? QString() : QStringLiteral("声音服务器：") + failure);
}

// Always later: the tick records what it fired only after the response returned.
void RadioControl::post(bool on, const QString& failure) {
    QMetaObject::invokeMethod(
        this, [this, on, failure] { emit switched(on, failure); }, Qt::QueuedConnection);
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
    if (wasSetUp && !setting_.setUp) {
        asked_.push_back(std::nullopt);
        lineIn_.setOn(false, {});
    }
    return written;
}

RadioSetting RadioControl::read() const {
    const std::optional<qint16> number = settings_.number(settings::kRadio);
    // Only a source that was read counts: a missing or unreadable file is "not set up".
    const std::optional<QByteArray> source =
        settings_.files().read(settings_.pathForReading(settings::kRadioSource));
    return radio::settingOf(
        number,
        source ? std::optional<QString>(fileformat::firstField(fileformat::decode(*source))) : std::nullopt);
}

}  // namespace quel
