#include "shell/remote_wiring.h"

#include <QFileInfo>

#include "bells/alarm.h"
#include "campus/campus.h"
#include "emergency/emergency.h"
#include "engine/clock_tick.h"
#include "engine/say_time.h"
#include "history/history.h"
#include "history/history_line.h"
#include "platform/instance.h"
#include "platform/media.h"
#include "platform/platform.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/playback.h"
#include "player/player_session.h"
#include "power/power_off.h"
#include "radio/radio_control.h"
#include "remote/command_line.h"
#include "schedule/entry_grammar.h"
#include "schedule/table_document.h"
#include "shell/campus_shell.h"
#include "shell/unattended.h"

namespace quel {

namespace {
const QString kEmergencyOn = QStringLiteral("紧急广播开始");
const QString kEmergencyOff = QStringLiteral("紧急广播结束");
const QString kHeldByEmergency = QStringLiteral("紧急广播中,不执行");
const QString kNotReady = QStringLiteral("程序正在启动,请稍后再试");

ActionResult done(const QString& message) {
    return {true, message};
}
ActionResult refused(const QString& message) {
    return {false, message};
}
}  // namespace

ShellRemote::ShellRemote(const RemoteParts& parts, QObject* parent)
    : RemoteActions(parent), parts_(parts), siren_(parts.platform.media.createForBroadcast()) {
    siren_->setObjectName(QStringLiteral("MediaEmergency"));
    emergency_ = new EmergencyBroadcast(*siren_, parts_.store, parts_.evacuationTone, this);
    parts_.tick.setHold([this](ResponseKind kind) { return emergency_->holds(kind); });

    History& h = parts_.history;
    connect(&parts_.tick, &ClockTick::held, this, [&h](const QString& entry) {
        h.record(HistoryKind::Entry, describeEntry(entry), Outcome::Held);
    });
    connect(&parts_.tick, &ClockTick::skipped, this, [&h](const QString& entry) {
        h.record(HistoryKind::Entry, describeEntry(entry), Outcome::Skipped);
    });
    connect(emergency_, &EmergencyBroadcast::activeChanged, this, [this, &h](bool on) {
        if (on)
            silenceEverything();
        h.record(HistoryKind::Emergency, on ? kEmergencyOn : kEmergencyOff);
        emit statusChanged();
    });
    connect(emergency_, &EmergencyBroadcast::soundFailed, this, [&h](const QString& path) {
        h.record(HistoryKind::Sound, path, Outcome::Failed, QStringLiteral("紧急广播的声音无法播放"));
    });
    connect(&parts_.tick, &ClockTick::fired, this, [this](const QString& entry, bool) {
        const EntryFields f = splitEntry(entry);
        emit entryFired(f.time, f.response);
    });
    connect(&parts_.broadcaster, &Broadcaster::playerLoadedChanged, this, &RemoteActions::statusChanged);
    connect(&parts_.tick, &ClockTick::secondDone, this, [this] {
        if (parts_.unattended.nextText() != shownNext_) {
            shownNext_ = parts_.unattended.nextText();
            emit statusChanged();
        }
    });

    parts_.platform.instance.setLaterRequestHandler(
        [this](const QByteArray& line, const InstanceGuard::AnswerLater& answer) {
            answerRequestLater(*this, line, answer);
        });
    emergency_->prepare();
}

ShellRemote::~ShellRemote() {
    parts_.platform.instance.setRequestHandler({}, answerLine({false, kNotReady}));
    parts_.tick.setHold({});
}

// The emergency sounds over everything: what sounded stops, a power-off that counts down is called off.
void ShellRemote::silenceEverything() {
    parts_.broadcaster.broadcastOff();
    // A line that was never set up is not on, and switching it off would only show its notice.
    if (parts_.radio.setting().setUp)
        parts_.radio.radio(false);
    parts_.tonePlayer.stop();
    parts_.chimePlayer.stop();
    parts_.alarm.stopSound();
    for (PowerAction kind : {PowerAction::Shutdown, PowerAction::Restart, PowerAction::Logoff}) {
        if (parts_.powerOff.countdown(kind).state == PowerOff::State::Counting)
            parts_.powerOff.cancel(kind);
    }
}

ActionResult ShellRemote::ringNow(const QString& file) {
    if (emergency_->isActive())
        return refused(kHeldByEmergency);
    const QString path = file.isEmpty() ? parts_.builtInTone : file;
    if (!QFileInfo(path).isFile())
        return refused(QStringLiteral("没有声音文件 %1").arg(path));
    parts_.tonePlayer.stop();
    parts_.tonePlayer.setFileName(path);
    parts_.tonePlayer.play();
    return done(QStringLiteral("打铃 %1").arg(QFileInfo(path).fileName()));
}

ActionResult ShellRemote::next() {
    PlayerSession* session = parts_.broadcaster.session();
    if (!session || !session->playback().isOpen())
        return refused(QStringLiteral("没有正在播音的列表"));
    Playback& playback = session->playback();
    const int following = playback.currentIndex() + 1;
    if (following >= session->playList().trackCount())
        return refused(QStringLiteral("已是列表的最后一首"));
    playback.playLine(following);
    emit statusChanged();
    return done(QStringLiteral("下一首 %1").arg(QFileInfo(playback.playingTrack()).fileName()));
}

ActionResult ShellRemote::skipNext() {
    parts_.tick.skipNextBell();
    return done(QStringLiteral("下一次打铃将跳过"));
}

ActionResult ShellRemote::broadcast(const QString& playList, bool random) {
    if (emergency_->isActive())
        return refused(kHeldByEmergency);
    QString path = playList;
    if (!QFileInfo(path).isAbsolute()) {
        // A name of the program's own lists, with or without its extension.
        const QString folder = parts_.platform.programFolder + QStringLiteral("/PlayListFile/");
        path = folder + playList;
        if (!QFileInfo(path).isFile() && !playList.endsWith(QLatin1String(".PLF"), Qt::CaseInsensitive))
            path += QStringLiteral(".PLF");
    }
    if (!QFileInfo(path).isFile())
        return refused(QStringLiteral("没有播音列表 %1").arg(playList));
    parts_.broadcaster.broadcastOn(path, random ? PlayOrder::Shuffled : PlayOrder::Stored);
    emit statusChanged();
    return done(QStringLiteral("播音 %1%2")
                    .arg(QFileInfo(path).fileName(), random ? QStringLiteral("(随机顺序)") : QString()));
}

ActionResult ShellRemote::stop() {
    parts_.broadcaster.broadcastOff();
    parts_.tonePlayer.stop();
    parts_.chimePlayer.stop();
    emit statusChanged();
    return done(QStringLiteral("已停止"));
}

ActionResult ShellRemote::say(bool female) {
    if (emergency_->isActive())
        return refused(kHeldByEmergency);
    parts_.broadcaster.announce(
        sayTimeFiles(female ? Voice::Female : Voice::Male, parts_.tick.programClock()));
    return done(QStringLiteral("报时 %1").arg(parts_.tick.programClock().text()));
}

ActionResult ShellRemote::emergency(bool on) {
    if (on == emergency_->isActive())
        return done(on ? QStringLiteral("紧急广播已在进行") : QStringLiteral("没有紧急广播"));
    on ? emergency_->start() : emergency_->stop();
    return done(on ? kEmergencyOn : kEmergencyOff);
}

namespace {
campus::Campus::Answer asCampusAnswer(const RemoteActions::Answer& answer) {
    return [answer](const campus::CampusResult& r) { answer({r.ok, r.message}); };
}
}  // namespace

void ShellRemote::campusPublish(const QString& folder, const Answer& answer) {
    if (!campus_)
        return RemoteActions::campusPublish(folder, answer);
    const campus::CampusResult r = campus_->publish(folder);
    answer({r.ok, r.message});
}

void ShellRemote::campusFollow(const QString& address, const QString& publicKey, const Answer& answer) {
    if (!campus_)
        return RemoteActions::campusFollow(address, publicKey, answer);
    campus_->followThen(address, publicKey, asCampusAnswer(answer));
}

void ShellRemote::campusSync(const Answer& answer) {
    if (!campus_)
        return RemoteActions::campusSync(answer);
    campus_->syncThen(asCampusAnswer(answer));
}

RemoteStatus ShellRemote::status() const {
    RemoteStatus s;
    s.todayTable = QFileInfo(parts_.table.currentPath()).fileName();
    if (parts_.todayReason)
        s.todayReason = parts_.todayReason();
    if (!parts_.unattended.nextText().isEmpty())
        s.nextEntries = QStringList{parts_.unattended.nextText()};
    if (PlayerSession* session = parts_.broadcaster.session())
        s.playing = QFileInfo(session->playback().playingTrack()).fileName();
    s.emergency = emergency_->isActive();
    if (campus_)
        s.campus = campusStatusLines(*campus_);
    return s;
}

}  // namespace quel
