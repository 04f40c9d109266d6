#include "player/play_list.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QStandardPaths>

#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "platform/worker.h"
#include "player/shuffle.h"

namespace quel {

namespace {

const QString kStoredOrderValue = QStringLiteral("1");
const QString kShuffledOrderValue = QStringLiteral("2");

// The folder the track selector opens in before any list named one: the music folder, else home.
QString startingPlayerPath() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

QString lastOf(const QStringList& tracks) {
    return tracks.isEmpty() ? QString() : tracks.last();
}

}  // namespace

PlayList::PlayList(Files& files, QString programFolder, Shuffler& shuffler, Worker& worker, QObject* parent)
    : QObject(parent),
      files_(files),
      programFolder_(std::move(programFolder)),
      shuffler_(shuffler),
      worker_(worker),
      playerPath_(startingPlayerPath()) {}

PlayList::~PlayList() {
    cancelCheck();
}

QString PlayList::listText() const {
    return playlist::joinTracks(stored_);
}

bool PlayList::isDefault() const {
    return samePath(realFileName_, defaultPath_);
}

QString PlayList::playListFolder() const {
    return nameInFolder(programFolder_, installed::kPlayLists);
}

bool PlayList::mayOverwriteFile() const {
    return !checking_ && fileState_ != ReadStatus::Unreadable &&
           files_.readFile(realFileName_, Files::kDocumentCap).status != ReadStatus::Unreadable;
}

void PlayList::loadDefault() {
    order_ =
        store().text(settings::kPlayOrder) == kShuffledOrderValue ? PlayOrder::Shuffled : PlayOrder::Stored;
    defaultPath_ = store().text(settings::kDefaultPlf);
    if (defaultPath_.isEmpty() || !files_.exists(defaultPath_)) {
        // The reset's own list, in whatever case a copy from Windows spells it. A settings file that
        // stands there unread still holds the operator's choice and is left alone.
        defaultPath_ = nameInFolder(playListFolder(), fileNamePart(settings::kDefaultPlayList));
        store().repairText(settings::kDefaultPlf, defaultPath_);
    }
    startLoad(defaultPath_, Load::Default);
}

void PlayList::loadForBroadcast(const QString& path, PlayOrder order) {
    order_ = order;
    startLoad(path, Load::Broadcast);
}

void PlayList::load(const QString& path) {
    startLoad(path, Load::Open);
}

// The name shows at once and the tracks once they are checked. Memory holds no tracks meanwhile, so
// nothing plays or edits a list that is about to change under it.
void PlayList::startLoad(const QString& path, Load kind) {
    cancelCheck();
    realFileName_ = path;
    fileState_ = ReadStatus::Missing;
    setTracks({});
    const quint64 ticket = ++loads_;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    cancelCheck_ = cancelled;
    auto promise = std::make_shared<QPromise<playlist::CheckedList>>();
    QFuture<playlist::CheckedList> future = promise->future();
    promise->start();
    const Files& files = files_;
    worker_.start([&files, path, cancelled, promise] {
        promise->addResult(playlist::checkList(files, path, cancelled.get()));
        promise->finish();
    });
    setChecking(true);
    emit replaced();
    emit changed();
    if (future.isFinished()) {
        finishLoad(ticket, kind, future.result());
        return;
    }
    auto* watcher = new QFutureWatcher<playlist::CheckedList>(this);
    connect(watcher, &QFutureWatcher<playlist::CheckedList>::finished, this, [this, watcher, ticket, kind] {
        watcher->deleteLater();
        finishLoad(ticket, kind, watcher->result());
    });
    watcher->setFuture(future);
}

void PlayList::finishLoad(quint64 ticket, Load kind, const playlist::CheckedList& checked) {
    // Another list, or the same file anew, took this one's place while it was checked.
    if (ticket != loads_) {
        return;
    }
    cancelCheck_.reset();
    fileState_ = checked.status;
    if (!checked.rewrite.isEmpty()) {
        // Should the write fail, the tracks are gone all the same; the next load tries again.
        files_.write(realFileName_, checked.rewrite);
    }
    if (kind == Load::Default && fileState_ == ReadStatus::Missing) {
        // Only a list that is not there at all is made anew; an unreadable one keeps its tracks.
        files_.write(realFileName_, QByteArray());
    }
    setTracks(checked.tracks);
    if (kind != Load::Broadcast || order_ == PlayOrder::Shuffled) {
        playerPath_ = lastOf(stored_);
    }
    setChecking(false);
    emit loaded();
    emit changed();
}

void PlayList::cancelCheck() {
    if (cancelCheck_) {
        cancelCheck_->store(true);
        cancelCheck_.reset();
    }
}

void PlayList::setChecking(bool checking) {
    if (checking_ != checking) {
        checking_ = checking;
        emit checkingChanged(checking);
    }
}

// Every refill in random order is a fresh shuffle of the whole list.
void PlayList::setTracks(QStringList stored) {
    stored_ = std::move(stored);
    shown_ = stored_;
    if (order_ == PlayOrder::Shuffled) {
        shuffler_.shuffle(shown_);
    }
    ++revision_;
}

bool PlayList::writeList(const QString& path, const QStringList& stored) {
    if (files_.write(path, playlist::listFileBytes(stored))) {
        return true;
    }
    if (samePath(path, realFileName_)) {
        reread();
    }
    return false;
}

// After a failed write the file on disk is what counts: memory is made to match it again.
void PlayList::reread() {
    const ReadResult read = files_.readFile(realFileName_, Files::kDocumentCap);
    if (read.status != ReadStatus::Read) {
        return;
    }
    const QStringList tracks = playlist::splitTracks(playlist::listTextFromBytes(read.bytes));
    if (tracks != stored_) {
        setTracks(tracks);
        emit changed();
    }
}

bool PlayList::append(const QStringList& tracks) {
    const QStringList stored = stored_ + tracks;
    if (!writeList(realFileName_, stored)) {
        return false;
    }
    fileState_ = ReadStatus::Read;
    setTracks(stored);
    playerPath_ = lastOf(stored_);
    emit changed();
    return true;
}

bool PlayList::removeTrack(const QString& track) {
    QStringList stored = stored_;
    stored.removeAll(track);
    if (!writeList(realFileName_, stored)) {
        return false;
    }
    fileState_ = ReadStatus::Read;
    setTracks(stored);
    playerPath_ = lastOf(stored_);
    emit changed();
    return true;
}

bool PlayList::clear() {
    if (!files_.write(realFileName_, QByteArray())) {
        reread();
        return false;
    }
    fileState_ = ReadStatus::Read;
    setTracks({});
    emit changed();
    return true;
}

bool PlayList::saveAs(const QString& path) {
    if (!writeList(path, shown_)) {
        return false;
    }
    // From here the file's order is the stored one, so the next 添加 writes what was saved.
    realFileName_ = path;
    fileState_ = ReadStatus::Read;
    stored_ = shown_;
    emit changed();
    return true;
}

bool PlayList::create(const QString& path) {
    if (!writeList(path, {})) {
        return false;
    }
    cancelCheck();
    realFileName_ = path;
    fileState_ = ReadStatus::Read;
    setTracks({});
    ++loads_;
    setChecking(false);
    emit replaced();
    emit loaded();
    emit changed();
    return true;
}

bool PlayList::makeDefault() {
    if (!store().writeText(settings::kDefaultPlf, realFileName_)) {
        return false;
    }
    defaultPath_ = realFileName_;
    emit changed();
    return true;
}

bool PlayList::switchOrder() {
    const PlayOrder next = order_ == PlayOrder::Stored ? PlayOrder::Shuffled : PlayOrder::Stored;
    const QString value = next == PlayOrder::Stored ? kStoredOrderValue : kShuffledOrderValue;
    if (!store().writeText(settings::kPlayOrder, value)) {
        return false;
    }
    order_ = next;
    setTracks(stored_);
    emit changed();
    return true;
}

}  // namespace quel
