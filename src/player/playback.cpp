#include "player/playback.h"

#include "platform/media.h"
#include "player/play_list.h"

namespace quel {

Playback::Playback(Media& media, PlayList& list, QObject* parent)
    : QObject(parent), media_(media), list_(list) {
    connect(&media_, &Media::endOfStream, this, &Playback::onEnded);
    connect(&media_, &Media::failed, this, &Playback::onFailed);
    connect(&media_, &Media::durationChanged, this, &Playback::durationChanged);
    connect(&media_, &Media::frameShown, this, &Playback::frameShown);
    connect(&media_, &Media::videoDrawn, this, &Playback::videoDrawn);
    connect(&list_, &PlayList::replaced, this, &Playback::onListReplaced);
    connect(&list_, &PlayList::loaded, this, &Playback::onListLoaded);
    connect(&list_, &PlayList::changed, this, &Playback::onListChanged);
    setCurrent(list_.trackCount() > 0 ? 0 : -1);
}

// Only what this loop opened: the component may play an announcement meanwhile.
bool Playback::isOpen() const {
    return open_ && !media_.fileName().isEmpty();
}

QString Playback::playingTrack() const {
    return isOpen() && playing_ ? media_.fileName() : QString();
}

double Playback::duration() const {
    return media_.duration();
}

double Playback::position() const {
    return media_.position();
}

void Playback::setMode(PlayMode mode) {
    if (mode_ != mode) {
        mode_ = mode;
        emit changed();
    }
}

void Playback::setCurrent(int index) {
    index_ = index;
    current_ = index >= 0 ? list_.tracks().at(index) : QString();
}

void Playback::play(int selectedLine) {
    const int count = list_.trackCount();
    if (count == 0) {
        return;
    }
    if (isOpen()) {
        if (!playing_) {
            media_.play();
            playing_ = true;
            emit changed();
        }
        return;
    }
    // With no current track (a list that was empty, a current track deleted) the operator's choice
    // counts, else the list starts at the top.
    int line = index_;
    if (line < 0 || line >= count) {
        line = selectedLine >= 0 && selectedLine < count ? selectedLine : 0;
    }
    failuresInRow_ = 0;
    open(line);
}

void Playback::pause() {
    if (playing_) {
        media_.pause();
        playing_ = false;
        emit changed();
    }
}

void Playback::playLine(int line) {
    if (line >= 0 && line < list_.trackCount()) {
        failuresInRow_ = 0;
        open(line);
    }
}

void Playback::seek(double seconds) {
    if (isOpen()) {
        media_.setPosition(seconds);
        emit positionMoved(seconds);
    }
}

// The broadcast starts when its list's check is done rather than on the unchecked tracks: those could
// open a track the check is about to drop, and in random order the checked list would be shuffled
// anew under the track that plays. The check costs a fraction of a second, the bells never wait for
// it, and a broadcast has always taken about as long to open its first file.
void Playback::broadcast(const QString& path, PlayOrder order) {
    stop();
    list_.loadForBroadcast(path, order);
    if (list_.isChecking()) {
        playOnLoad_ = list_.mark().generation;
    } else {
        play();
    }
}

void Playback::stop() {
    playOnLoad_ = 0;
    reportSkipped();
    if (isOpen()) {
        media_.stop();
        media_.setFileName(QString());
    }
    open_ = false;
    if (playing_) {
        playing_ = false;
        emit changed();
    }
}

void Playback::open(int index) {
    setCurrent(index);
    playing_ = true;
    open_ = true;
    media_.setFileName(current_);
    emit trackOpened();
    emit changed();
}

void Playback::onEnded() {
    if (!isOpen()) {
        return;
    }
    failuresInRow_ = 0;
    reportSkipped();
    advance();
}

void Playback::outputFailed(const QString& reason) {
    if (!isOpen()) {
        return;
    }
    reportSkipped();
    goIdle();
    emit stoppedByOutput(reason);
}

void Playback::reportSkipped() {
    if (!skipped_.isEmpty()) {
        emit tracksSkipped(std::exchange(skipped_, {}));
    }
}

// A track that cannot play ends at once. Repeating it would only fail again, so 单曲循环 goes idle.
void Playback::onFailed(const QString& path, const MediaFault& fault) {
    if (!isOpen() || path != media_.fileName()) {
        return;
    }
    // No track can play while the output is gone: skipping them all would only fill the history.
    if (fault.kind == MediaFault::Kind::Output) {
        outputFailed(fault.reason);
        return;
    }
    ++failuresInRow_;
    skipped_ << path;
    if (mode_ == PlayMode::RepeatTrack) {
        goIdle();
    } else if (failuresInRow_ >= list_.trackCount()) {
        endList();
    } else {
        advance();
    }
}

void Playback::advance() {
    if (mode_ == PlayMode::RepeatTrack) {
        media_.play();
        playing_ = true;
        emit trackOpened();
        emit changed();
        return;
    }
    int next = index_ + 1;
    if (mode_ == PlayMode::RepeatAll && next >= list_.trackCount()) {
        next = 0;
    }
    if (next < list_.trackCount()) {
        open(next);
    } else {
        endList();
    }
}

// The list is idle with its first track current, so ▼ starts it from the top.
void Playback::endList() {
    reportSkipped();
    goIdle();
    setCurrent(list_.trackCount() > 0 ? 0 : -1);
    emit changed();
}

void Playback::goIdle() {
    reportSkipped();
    media_.stop();
    media_.setFileName(QString());
    open_ = false;
    playing_ = false;
    emit changed();
}

// Any load but the broadcast's own (which starts before the broadcast waits) ends what it wanted.
void Playback::onListReplaced() {
    stop();
    setCurrent(list_.trackCount() > 0 ? 0 : -1);
    emit changed();
}

void Playback::onListLoaded() {
    setCurrent(list_.trackCount() > 0 ? 0 : -1);
    if (std::exchange(playOnLoad_, 0) == list_.mark().generation) {
        play();
    }
    emit changed();
}

bool Playback::setVideoWindow(quintptr window) {
    return media_.setVideoWindow(window);
}

int Playback::volume() const {
    return media_.volume();
}

void Playback::setVolume(int hundredthsDb) {
    media_.setVolume(hundredthsDb);
    emit volumeChanged(hundredthsDb);
}

void Playback::setBalance(int balance) {
    media_.setBalance(balance);
}

void Playback::setMute(bool mute) {
    media_.setMute(mute);
}

// An edit keeps the current track by its path; if it is gone (deleted, cleared), so is the open file.
void Playback::onListChanged() {
    const int found = current_.isEmpty() ? -1 : int(list_.tracks().indexOf(current_));
    if (found < 0 && isOpen()) {
        stop();
    }
    setCurrent(found);
    emit changed();
}

}  // namespace quel
