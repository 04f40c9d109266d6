#include "power/power_off.h"

#include <QDebug>
#include <QTimer>

#include "platform/files.h"
#include "platform/power.h"
#include "platform/settings_names.h"

namespace quel {

namespace {

constexpr int kOneSecondMs = 1000;
constexpr std::array kAllKinds = {PowerAction::Shutdown, PowerAction::Restart, PowerAction::Logoff};

}  // namespace

const QString& powerSettingsFile(PowerAction kind) {
    switch (kind) {
        case PowerAction::Shutdown:
            return settings::kShut;
        case PowerAction::Restart:
            return settings::kRestart;
        case PowerAction::Logoff:
            return settings::kLogoff;
    }
    return settings::kShut;
}

QString powerActionName(PowerAction kind) {
    switch (kind) {
        case PowerAction::Shutdown:
            return QStringLiteral("关机");
        case PowerAction::Restart:
            return QStringLiteral("重启");
        case PowerAction::Logoff:
            return QStringLiteral("注销");
    }
    return QStringLiteral("关机");
}

PowerOff::PowerOff(Power& power, Files& files, QString programFolder, QObject* parent)
    : QObject(parent), power_(power), settings_(files, std::move(programFolder)) {
    for (const PowerAction action : kAllKinds) {
        QTimer* timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("Timer1"));
        timer->setInterval(kOneSecondMs);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, action] { countOneSecond(action); });
        kind(action).timer = timer;
    }
}

void PowerOff::load() {
    for (const PowerAction action : kAllKinds)
        kind(action).setting = settings_.text(powerSettingsFile(action));
}

const QString& PowerOff::setting(PowerAction action) const {
    return kind(action).setting;
}

bool PowerOff::changeSetting(PowerAction action, const QString& setting) {
    if (!settings_.writeText(powerSettingsFile(action), setting))
        return false;
    kind(action).setting = setting;
    return true;
}

const PowerOff::Countdown& PowerOff::countdown(PowerAction action) const {
    return kind(action).countdown;
}

void PowerOff::setAutomaticCount(bool on) {
    automaticCount_ = on;
    for (const PowerAction action : kAllKinds) {
        Kind& k = kind(action);
        if (on && k.countdown.state == State::Counting)
            k.timer->start();
        if (!on)
            k.timer->stop();
    }
}

void PowerOff::powerOff(PowerAction action) {
    Kind& k = kind(action);
    if (power::confirmationOf(k.setting) == false) {
        send(action, false, std::nullopt);
        return;
    }
    if (k.countdown.state != State::Closed) {
        emit raised(action);
        return;
    }
    k.countdown = Countdown{};
    k.countdown.state = State::Counting;
    k.countdown.count.start(power::waitingSeconds(k.setting));
    ++k.window;
    if (automaticCount_)
        k.timer->start();
    emit changed(action);
}

void PowerOff::requestAtOnce(PowerAction action) {
    send(action, true, std::nullopt);
}

void PowerOff::countOneSecond(PowerAction action) {
    Kind& k = kind(action);
    if (k.countdown.state != State::Counting)
        return;
    if (k.countdown.count.step() == PowerCountdown::Step::Request) {
        request(action, false);
        return;
    }
    emit changed(action);
}

void PowerOff::actNow(PowerAction action) {
    const State state = kind(action).countdown.state;
    if (state == State::Counting || state == State::Failed)
        request(action, true);
}

void PowerOff::cancel(PowerAction action) {
    close(action, QString());
}

void PowerOff::close(PowerAction action, const QString& reason) {
    Kind& k = kind(action);
    const State was = k.countdown.state;
    if (was == State::Closed)
        return;
    k.timer->stop();
    k.countdown = Countdown{};
    emit changed(action);
    // A refused or accepted window has told its end already.
    if (was == State::Counting || was == State::Requesting)
        emit settled(action, Result::Cancelled, reason);
}

void PowerOff::request(PowerAction action, bool interactive) {
    Kind& k = kind(action);
    k.timer->stop();
    k.countdown.state = State::Requesting;
    k.countdown.error.clear();
    emit changed(action);
    send(action, interactive, k.window);
}

void PowerOff::send(PowerAction action, bool interactive, std::optional<quint64> window) {
    PowerReply* reply = nullptr;
    switch (action) {
        case PowerAction::Shutdown:
            reply = power_.shutdown(interactive);
            break;
        case PowerAction::Restart:
            reply = power_.restart(interactive);
            break;
        case PowerAction::Logoff:
            reply = power_.logoff();
            break;
    }
    connect(reply, &PowerReply::done, this,
            [this, action, window](bool ok, const QString& error) { answered(action, window, ok, error); });
}

void PowerOff::answered(PowerAction action, std::optional<quint64> window, bool ok, const QString& error) {
    Kind& k = kind(action);
    // The window that asked may have been cancelled, or cancelled and opened anew, meanwhile.
    const bool askingWindowOpen = window && *window == k.window && k.countdown.state == State::Requesting;
    if (!ok) {
        qWarning().noquote() << "power request refused:" << error;
        emit refused(action, error);
        emit settled(action, Result::Refused, error);
        if (askingWindowOpen) {
            k.countdown.state = State::Failed;
            k.countdown.error = error;
            emit changed(action);
        }
        return;
    }
    // The machine is going down: no other window may count on to a second request.
    for (const PowerAction other : kAllKinds) {
        if (other != action || !askingWindowOpen)
            close(other, QStringLiteral("已执行") + powerActionName(action));
    }
    if (askingWindowOpen) {
        k.countdown.state = State::Done;
        emit changed(action);
    }
    emit settled(action, Result::Accepted, QString());
    // Quitting only now, from the answer, keeps the request from being lost with the connection.
    if (action == PowerAction::Logoff || (action == PowerAction::Shutdown && window))
        emit quitRequested();
}

}  // namespace quel
