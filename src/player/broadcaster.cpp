#include "player/broadcaster.h"

#include <QEvent>
#include <QWidget>

#include "player/from_player.h"
#include "player/player_session.h"

namespace quel {

Broadcaster::Broadcaster(Platform& platform, QObject* parent)
    : Broadcaster(
          platform, [](PlayerSession& session) { return new FromPlayer(session); }, parent) {}

Broadcaster::Broadcaster(Platform& platform, WindowMaker makeWindow, QObject* parent)
    : QObject(parent), platform_(platform), makeWindow_(std::move(makeWindow)) {}

Broadcaster::~Broadcaster() {
    delete window_.data();
}

void Broadcaster::load() {
    if (session_) {
        return;
    }
    session_ = std::make_unique<PlayerSession>(platform_, shuffler_);
    session_->playList().loadDefault();
    connect(&session_->playback(), &Playback::trackSkipped, this, &Broadcaster::trackSkipped);
    connect(
        &session_->playList(), &PlayList::dialogsClosed, this,
        [this] {
            if (unloadPending_) {
                unload();
            }
        },
        Qt::QueuedConnection);
    if (makeWindow_) {
        window_ = makeWindow_(*session_);
        if (window_) {
            window_->installEventFilter(this);
        }
    }
    emit playerLoadedChanged(true);
}

void Broadcaster::showPlayer() {
    load();
    if (window_) {
        window_->show();
        window_->raise();
        window_->activateWindow();
    }
}

void Broadcaster::broadcastOn(const QString& playListPath, PlayOrder order) {
    unloadPending_ = false;
    showPlayer();
    session_->playback().broadcast(playListPath, order);
}

void Broadcaster::broadcastOff() {
    if (!session_) {
        return;
    }
    if (session_->playList().inDialog()) {
        session_->playback().stop();
        unloadPending_ = true;
        return;
    }
    unload();
}

// The window and the session go at the next turn of the event loop, not under a handler of theirs
// that may still be on the stack; the sound stops now.
void Broadcaster::unload() {
    if (!session_) {
        return;
    }
    if (session_->playList().inDialog()) {
        session_->playback().stop();
        unloadPending_ = true;
        return;
    }
    unloadPending_ = false;
    session_->playback().stop();
    if (window_) {
        window_->removeEventFilter(this);
        window_->hide();
        window_->deleteLater();
        window_.clear();
    }
    session_.release()->deleteLater();
    emit playerLoadedChanged(false);
}

bool Broadcaster::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        unload();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quel
