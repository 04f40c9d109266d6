#include "player/broadcaster.h"

#include <malloc.h>

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "platform/named.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"

#include "player/from_player.h"
#include "player/player_session.h"

namespace quel {

QString skippedTracksText(const QStringList& paths) {
    if (paths.size() <= 1) {
        return paths.value(0);
    }
    return QStringLiteral("%1 等 %2 首").arg(paths.first()).arg(paths.size());
}

Broadcaster::Broadcaster(Platform& platform, QObject* parent)
    : Broadcaster(
          platform, [](PlayerSession& session) { return new FromPlayer(session); }, parent) {}

Broadcaster::Broadcaster(Platform& platform, WindowMaker makeWindow, QObject* parent)
    : QObject(parent),
      platform_(platform),
      makeWindow_(std::move(makeWindow)),
      resume_(named(new QTimer(this), "Timer2")) {
    resume_->setInterval(1000);
    connect(resume_, &QTimer::timeout, this, &Broadcaster::resumeTick);
}

Broadcaster::~Broadcaster() {
    delete window_.data();
}

void Broadcaster::load() {
    if (session_) {
        return;
    }
    session_ = std::make_unique<PlayerSession>(platform_, shuffler_);
    session_->playList().loadDefault();
    connect(&session_->playback(), &Playback::tracksSkipped, this, &Broadcaster::tracksSkipped);
    connect(&session_->playback(), &Playback::stoppedByOutput, this, [this](const QString& reason) {
        emit broadcastStopped(session_->playList().realFileName(), reason);
    });
    connect(
        &session_->listCommands(), &PlayListCommands::dialogsClosed, this,
        [this] {
            if (unloadPending_) {
                unload();
            }
        },
        Qt::QueuedConnection);
    // Whatever the operator or the schedule starts in the player is what the school hears next: the
    // end of an announcement must not undo it.
    connect(&session_->playback(), &Playback::trackOpened, this, &Broadcaster::cancelResume);
    connect(&session_->playList(), &PlayList::replaced, this, &Broadcaster::cancelResume);
    connect(&session_->announcement(), &Announcement::finished, this, &Broadcaster::announcementEnded,
            Qt::QueuedConnection);
    if (makeWindow_) {
        window_ = makeWindow_(*session_);
        if (window_) {
            window_->installEventFilter(this);
        }
    }
    connect(session_.get(), &PlayerSession::hiddenByOperator, this, [this] {
        hiddenByOperator_ = true;
        emit playerLoadedChanged(false);
    });
    emit playerLoadedChanged(true);
}

void Broadcaster::showPlayer() {
    load();
    if (std::exchange(hiddenByOperator_, false)) {
        emit playerLoadedChanged(true);
    }
    if (window_) {
        window_->show();
        window_->raise();
        window_->activateWindow();
    }
}

void Broadcaster::broadcastOn(const QString& playListPath, PlayOrder order) {
    unloadPending_ = false;
    cancelResume();
    showPlayer();
    session_->announcement().stop();
    session_->playback().broadcast(playListPath, order);
}

void Broadcaster::broadcastOff() {
    if (!session_) {
        return;
    }
    if (session_->listCommands().inDialog()) {
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
    if (session_->listCommands().inDialog()) {
        session_->playback().stop();
        unloadPending_ = true;
        return;
    }
    unloadPending_ = false;
    cancelResume();
    session_->announcement().stop();
    session_->playback().stop();
    if (window_) {
        window_->removeEventFilter(this);
        window_->hide();
        window_->deleteLater();
        window_.clear();
    }
    // What the player used while loaded (its window, the buffers of its pipeline) lies scattered through
    // the heap once freed, and the allocator would keep it from the system for good: some megabytes a
    // broadcast over a school day. Trimmed once the window and the session are gone.
    connect(
        session_.get(), &QObject::destroyed, this, [] { malloc_trim(0); }, Qt::QueuedConnection);
    session_.release()->deleteLater();
    if (!std::exchange(hiddenByOperator_, false)) {
        emit playerLoadedChanged(false);
    }
}

bool Broadcaster::resumePending() const {
    return resume_->isActive();
}

void Broadcaster::cancelResume() {
    resume_->stop();
}

void Broadcaster::announce(const QStringList& files) {
    const QString& folder = platform_.programFolder;
    QStringList paths;
    for (const QString& file : files) {
        const QString path = resolveInFolder(folder, folder + QLatin1Char('/') + file);
        if (platform_.files.exists(path) && !platform_.files.isDirectory(path)) {
            paths << path;
        }
    }
    // For the record only: the announcement plays from memory, so a file that cannot be written never
    // makes it speak an older time.
    const QString sequence = paths.isEmpty() ? QString() : QLatin1Char('|') + paths.join(QLatin1Char('|'));
    SettingsStore(platform_.files, folder).writeText(settings::kSayTimeFile, sequence);

    // A second announcement while the first is pending keeps the first's view of the broadcast.
    if (!resume_->isActive()) {
        resumeBroadcast_ = session_ && (session_->playback().isOpen() || session_->playback().awaitsList());
    }
    load();
    if (std::exchange(hiddenByOperator_, false)) {
        emit playerLoadedChanged(true);
    }
    if (window_) {
        window_->hide();
    }
    session_->playback().stop();
    session_->announcement().start(paths);
    resumeSeconds_ = 0;
    resume_->start();
}

// On a loaded machine the voice files may take seconds to start, so the fifteen seconds alone would cut
// the announcement: the resume waits for its end as well. A component that never reports the end
// (a stalled output) holds the player no longer than kLongestAnnouncementSeconds.
void Broadcaster::resumeTick() {
    if (!resume_->isActive() || ++resumeSeconds_ < kResumeSeconds) {
        return;
    }
    if (session_ && session_->announcement().isPlaying() && resumeSeconds_ < kLongestAnnouncementSeconds) {
        return;
    }
    resume();
}

void Broadcaster::announcementEnded() {
    if (resume_->isActive() && resumeSeconds_ >= kResumeSeconds) {
        resume();
    }
}

void Broadcaster::resume() {
    resume_->stop();
    if (!session_) {
        return;
    }
    session_->announcement().stop();
    if (!resumeBroadcast_) {
        unload();
        return;
    }
    // The list starts again from its first track in stored order; the play mode stays the operator's.
    showPlayer();
    session_->playback().broadcast(session_->playList().realFileName(), PlayOrder::Stored);
}

bool Broadcaster::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        unload();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quel
