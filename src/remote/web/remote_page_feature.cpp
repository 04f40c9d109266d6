#include "remote/web/remote_page_feature.h"

#include <QWidget>

#include "platform/settings_store.h"

namespace quel {

namespace {

ActionResult notConnected() {
    return {false, QStringLiteral("程序尚未接通远程控制")};
}

}  // namespace

ActionResult RemotePageFeature::Forward::ringNow(const QString& file) {
    return target ? target->ringNow(file) : notConnected();
}
ActionResult RemotePageFeature::Forward::next() {
    return target ? target->next() : notConnected();
}
ActionResult RemotePageFeature::Forward::skipNext() {
    return target ? target->skipNext() : notConnected();
}
ActionResult RemotePageFeature::Forward::broadcast(const QString& playList, bool random) {
    return target ? target->broadcast(playList, random) : notConnected();
}
ActionResult RemotePageFeature::Forward::stop() {
    return target ? target->stop() : notConnected();
}
ActionResult RemotePageFeature::Forward::say(bool female) {
    return target ? target->say(female) : notConnected();
}
ActionResult RemotePageFeature::Forward::emergency(bool on) {
    return target ? target->emergency(on) : notConnected();
}
RemoteStatus RemotePageFeature::Forward::status() const {
    return target ? target->status() : RemoteStatus{};
}

RemotePageFeature::RemotePageFeature(Clock& clock, const SettingsStore& store, RemoteLog& log,
                                     QObject* parent)
    : QObject(parent), page_(clock, forward_, log, loadPageSettings(store)), setup_(store, page_) {}

RemotePageFeature::~RemotePageFeature() {
    delete window_;
}

void RemotePageFeature::setActions(RemoteActions* actions) {
    forward_.target = actions;
}

QString RemotePageFeature::startIfEnabled() {
    QString error;
    if (page_.settings().enabled && !page_.start(&error))
        return error;
    return {};
}

void RemotePageFeature::showWindow(QWidget* parent) {
    if (!window_)
        window_ = new RemoteSettingsWindow(setup_, parent);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace quel
