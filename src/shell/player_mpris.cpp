#include "shell/player_mpris.h"

#include "platform/media.h"
#include "player/broadcaster.h"
#include "player/play_list.h"
#include "player/playback.h"
#include "player/player_session.h"

namespace quel {

SessionMprisPlayer::SessionMprisPlayer(Broadcaster& broadcaster, PlayerSession& session, QObject* parent)
    : MprisPlayer(parent), broadcaster_(broadcaster), session_(session) {
    Playback& playback = session_.playback();
    connect(&playback, &Playback::changed, this, &MprisPlayer::changed);
    connect(&playback, &Playback::durationChanged, this, &MprisPlayer::changed);
    connect(&playback, &Playback::volumeChanged, this, &MprisPlayer::changed);
    connect(&session_.playList(), &PlayList::changed, this, &MprisPlayer::changed);
    connect(&playback, &Playback::positionMoved, this, &MprisPlayer::seeked);
    // A track that starts again (单曲循环) keeps its metadata: only the jump tells the desktop.
    connect(&playback, &Playback::trackOpened, this, [this] { emit seeked(0.0); });
}

bool SessionMprisPlayer::live() const {
    return broadcaster_.session() == &session_;
}

MprisPlayer::State SessionMprisPlayer::state() const {
    if (!live())
        return State::Stopped;
    const Playback& playback = session_.playback();
    if (playback.isPlaying())
        return State::Playing;
    return playback.isOpen() ? State::Paused : State::Stopped;
}

// While idle the desktop shows the track that ▼ would start.
MprisPlayer::Track SessionMprisPlayer::track() const {
    Track track;
    if (!live())
        return track;
    const Playback& playback = session_.playback();
    track.path = playback.isOpen() ? session_.media().fileName()
                                   : session_.playList().tracks().value(playback.currentIndex());
    if (track.path.isEmpty())
        return track;
    track.number = playback.currentNumber();
    track.lengthSeconds = playback.isOpen() ? playback.duration() : 0.0;
    return track;
}

double SessionMprisPlayer::position() const {
    return live() && session_.playback().isOpen() ? session_.playback().position() : 0.0;
}

void SessionMprisPlayer::setPosition(double seconds) {
    if (live())
        session_.playback().seek(seconds);
}

double SessionMprisPlayer::volume() const {
    return live() ? linearFromHundredthsDb(session_.playback().volume(), kSilence) : 0.0;
}

void SessionMprisPlayer::setVolume(double linear) {
    if (!live())
        return;
    session_.playback().setVolume(hundredthsDbFromLinear(linear, kSilence));
}

MprisPlayer::Loop SessionMprisPlayer::loop() const {
    switch (session_.playback().mode()) {
        case PlayMode::RepeatTrack:
            return Loop::Track;
        case PlayMode::RepeatAll:
            return Loop::Playlist;
        case PlayMode::ThroughToEnd:
            break;
    }
    return Loop::None;
}

void SessionMprisPlayer::setLoop(Loop loop) {
    if (!live())
        return;
    switch (loop) {
        case Loop::None:
            session_.playback().setMode(PlayMode::ThroughToEnd);
            break;
        case Loop::Track:
            session_.playback().setMode(PlayMode::RepeatTrack);
            break;
        case Loop::Playlist:
            session_.playback().setMode(PlayMode::RepeatAll);
            break;
    }
}

bool SessionMprisPlayer::shuffle() const {
    return session_.playList().order() == PlayOrder::Shuffled;
}

// As the window's 随机顺序 does: remembered in PlayOrder.txt, and the operator hears when it cannot be.
void SessionMprisPlayer::setShuffle(bool on) {
    if (live() && on != shuffle())
        session_.listCommands().switchOrder();
}

// The track after the current one in play order; past the last only when the list repeats.
int SessionMprisPlayer::following() const {
    const int count = session_.playList().trackCount();
    const int next = session_.playback().currentIndex() + 1;
    if (count == 0)
        return -1;
    if (next < count)
        return next;
    return session_.playback().mode() == PlayMode::RepeatAll ? 0 : -1;
}

bool SessionMprisPlayer::canGoNext() const {
    return live() && following() >= 0;
}

bool SessionMprisPlayer::canGoPrevious() const {
    return live() && session_.playback().currentIndex() > 0;
}

void SessionMprisPlayer::play() {
    if (live())
        session_.playback().play();
}

void SessionMprisPlayer::pause() {
    if (live())
        session_.playback().pause();
}

void SessionMprisPlayer::stop() {
    if (live())
        session_.playback().stop();
}

void SessionMprisPlayer::next() {
    if (canGoNext())
        session_.playback().playLine(following());
}

void SessionMprisPlayer::previous() {
    if (canGoPrevious())
        session_.playback().playLine(session_.playback().currentIndex() - 1);
}

void SessionMprisPlayer::raise() {
    if (live())
        broadcaster_.showPlayer();
}

PlayerMpris::PlayerMpris(Broadcaster& broadcaster, QDBusConnection bus, QObject* parent)
    : QObject(parent), broadcaster_(broadcaster), service_(std::move(bus)) {
    connect(&broadcaster_, &Broadcaster::playerLoadedChanged, this, &PlayerMpris::follow);
    follow();
}

PlayerMpris::~PlayerMpris() {
    service_.setPlayer(nullptr);
}

// Loaded and unloaded are told by playerLoadedChanged, except an unload after 隐藏窗体, which only the
// session's end shows; either way the bus follows the broadcaster's session, and a session is dropped
// before its memory can serve another.
void PlayerMpris::follow() {
    PlayerSession* now = broadcaster_.session();
    if (now == session_)
        return;
    service_.setPlayer(nullptr);
    player_.reset();
    session_ = now;
    if (!now)
        return;
    player_ = std::make_unique<SessionMprisPlayer>(broadcaster_, *now);
    connect(now, &QObject::destroyed, this, &PlayerMpris::follow);
    service_.setPlayer(player_.get());
}

}  // namespace quel
