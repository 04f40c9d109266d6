#include "player/play_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "player/play_list_text.h"
#include "player/player_texts.h"
#include "player/shuffle.h"

namespace quel {

namespace {

const QString kListExtension = QStringLiteral(".PLF");
const QString kStoredOrderValue = QStringLiteral("1");
const QString kShuffledOrderValue = QStringLiteral("2");

// The folder the track selector opens in before any list named one: the music folder, else home.
QString startingPlayerPath() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

// A name typed without an extension gets the list's own, so the file shows up in the open dialog.
QString withListExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + kListExtension : path;
}

}  // namespace

// Counts the player's open dialogs. The schedule runs on while one is open, and whoever would unload
// the player then waits for dialogsClosed(), so no window is deleted under its own dialog.
class PlayList::DialogScope {
public:
    explicit DialogScope(PlayList& list) : list_(list) { ++list_.dialogDepth_; }
    ~DialogScope() {
        if (--list_.dialogDepth_ == 0) {
            emit list_.dialogsClosed();
        }
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

private:
    PlayList& list_;
};

PlayList::PlayList(Files& files, Dialogs& dialogs, QString programFolder, Shuffler& shuffler, QObject* parent)
    : QObject(parent),
      files_(files),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      shuffler_(shuffler),
      playerPath_(startingPlayerPath()) {}

QString PlayList::listText() const {
    return playlist::joinTracks(stored_);
}

bool PlayList::isDefault() const {
    return samePath(realFileName_, defaultPath_);
}

QString PlayList::playListFolder() const {
    return nameInFolder(programFolder_, installed::kPlayLists);
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
    realFileName_ = defaultPath_;
    cleanLoad(realFileName_);
    if (fileState_ == ReadStatus::Missing) {
        // Only a list that is not there at all is made anew; an unreadable one keeps its tracks.
        files_.write(realFileName_, QByteArray());
    }
    playerPath_ = stored_.isEmpty() ? QString() : stored_.last();
    ++loads_;
    emit replaced();
    emit changed();
}

void PlayList::loadForBroadcast(const QString& path, PlayOrder order) {
    order_ = order;
    realFileName_ = path;
    cleanLoad(path);
    if (order == PlayOrder::Shuffled) {
        playerPath_ = stored_.isEmpty() ? QString() : stored_.last();
    }
    ++loads_;
    emit replaced();
    emit changed();
}

// Reads the list, drops the tracks whose files are gone for good and writes the file back only if it
// lost some, so a list on absent media is never rewritten.
void PlayList::cleanLoad(const QString& path) {
    const ReadResult read = files_.readFile(path, Files::kDocumentCap);
    fileState_ = read.status;
    if (read.status != ReadStatus::Read) {
        setTracks({});
        return;
    }
    const QStringList all = playlist::splitTracks(playlist::listTextFromBytes(read.bytes));
    QStringList kept = playlist::keptTracks(all, files_);
    if (kept.size() != all.size()) {
        // Should the write fail, the tracks are gone all the same; the next load tries again.
        files_.write(path, playlist::listFileBytes(kept));
    }
    setTracks(std::move(kept));
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

void PlayList::replace(const QString& path, const QStringList& stored) {
    realFileName_ = path;
    fileState_ = ReadStatus::Read;
    setTracks(stored);
    ++loads_;
    emit replaced();
    emit changed();
}

Answer PlayList::tell(const QString& text, MessageIcon icon, MessageButtons buttons) {
    DialogScope scope(*this);
    return dialogs_.message(texts::kTitle, text, icon, buttons);
}

bool PlayList::refuseUnreadable() {
    const bool unreadable =
        fileState_ == ReadStatus::Unreadable ||
        files_.readFile(realFileName_, Files::kDocumentCap).status == ReadStatus::Unreadable;
    if (unreadable) {
        tell(realFileName_ + texts::kCannotRead, MessageIcon::Warning);
    }
    return unreadable;
}

bool PlayList::writeList(const QString& path, const QByteArray& bytes) {
    if (files_.write(path, bytes)) {
        return true;
    }
    const Snapshot before = snapshot();
    tell(path + texts::kCannotWrite, MessageIcon::Error);
    if (still(before)) {
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

void PlayList::add(const QStringList& paths) {
    if (playerPath_.isEmpty()) {
        playerPath_ = programFolder_;
    }
    QStringList fitting;
    for (const QString& p : paths) {
        if (playlist::fitsInList(p)) {
            fitting << p;
        }
    }
    if (fitting.isEmpty() || refuseUnreadable()) {
        return;
    }
    const QStringList stored = stored_ + fitting;
    if (!writeList(realFileName_, playlist::listFileBytes(stored))) {
        return;
    }
    fileState_ = ReadStatus::Read;
    setTracks(stored);
    playerPath_ = stored_.last();
    emit changed();
}

void PlayList::remove(const QString& selectedPath, const QString& playingPath) {
    if (!playingPath.isEmpty() && selectedPath == playingPath) {
        tell(texts::kCannotDeletePlaying, MessageIcon::Warning);
        return;
    }
    if (selectedPath.isEmpty()) {
        tell(texts::kSelectTrackToDelete, MessageIcon::Warning);
        return;
    }
    if (refuseUnreadable()) {
        return;
    }
    QStringList stored = stored_;
    stored.removeAll(selectedPath);
    if (!writeList(realFileName_, playlist::listFileBytes(stored))) {
        return;
    }
    fileState_ = ReadStatus::Read;
    setTracks(stored);
    playerPath_ = stored_.isEmpty() ? QString() : stored_.last();
    emit changed();
}

void PlayList::clear(bool playing) {
    if (playing) {
        tell(texts::kCannotClearWhilePlaying, MessageIcon::Warning);
        return;
    }
    if (refuseUnreadable()) {
        return;
    }
    const Snapshot asked = snapshot();
    if (tell(texts::kClearAll, MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes ||
        !still(asked)) {
        return;
    }
    if (!writeList(realFileName_, QByteArray())) {
        return;
    }
    fileState_ = ReadStatus::Read;
    setTracks({});
    emit changed();
}

// Asks for a list file; a save dialog asks before it overwrites. Empty when the operator cancelled or
// the list was replaced while the dialog was open.
QString PlayList::askPlayListPath(const FileRequest& request, PathQuestion question) {
    const bool saving = question != PathQuestion::Open;
    const Snapshot asked = snapshot();
    for (;;) {
        QString path;
        {
            DialogScope scope(*this);
            path = saving ? dialogs_.saveFile(request) : dialogs_.openFile(request);
        }
        if (path.isEmpty() || !still(asked)) {
            return {};
        }
        if (!saving) {
            if (files_.exists(path)) {
                return path;
            }
            tell(path + texts::kDoesNotExist, MessageIcon::Error);
        } else {
            path = withListExtension(path);
            if (!files_.exists(path)) {
                return path;
            }
            const QString prefix = question == PathQuestion::SaveAs ? texts::kFile : QString();
            if (tell(prefix + path + texts::kOverwrite, MessageIcon::Question, MessageButtons::YesNo) ==
                Answer::Yes) {
                return still(asked) ? path : QString();
            }
        }
        if (!still(asked)) {
            return {};
        }
    }
}

void PlayList::open() {
    const QString path =
        askPlayListPath({texts::kOpenTitle, playListFolder(), texts::kPlayListFilter}, PathQuestion::Open);
    if (path.isEmpty()) {
        return;
    }
    realFileName_ = path;
    cleanLoad(path);
    playerPath_ = stored_.isEmpty() ? QString() : stored_.last();
    ++loads_;
    emit replaced();
    emit changed();
}

void PlayList::saveAs() {
    if (shown_.isEmpty()) {
        tell(texts::kListEmpty, MessageIcon::Information);
        return;
    }
    const QString path =
        askPlayListPath({texts::kSaveAsTitle, playListFolder(), texts::kSaveAsFilter}, PathQuestion::SaveAs);
    if (path.isEmpty() || !writeList(path, playlist::listFileBytes(shown_))) {
        return;
    }
    // From here the file's order is the stored one, so the next 添加 writes what was saved.
    realFileName_ = path;
    fileState_ = ReadStatus::Read;
    stored_ = shown_;
    emit changed();
}

void PlayList::createNew() {
    const QString path =
        askPlayListPath({texts::kNewTitle, playListFolder(), texts::kPlayListFilter}, PathQuestion::New);
    if (path.isEmpty() || !writeList(path, playlist::listFileBytes({}))) {
        return;
    }
    replace(path, {});
}

void PlayList::makeDefault() {
    const QString path = realFileName_;
    // The settings value would be read back only up to the quote.
    if (path.contains(QLatin1Char('"'))) {
        tell(texts::kCannotStoreQuote + path, MessageIcon::Warning);
        return;
    }
    if (!store().writeText(settings::kDefaultPlf, path)) {
        tell(settings::kDefaultPlf + texts::kCannotWrite, MessageIcon::Error);
        return;
    }
    defaultPath_ = path;
    emit changed();
    tell(path + texts::kMadeDefault, MessageIcon::Information);
}

void PlayList::switchOrder() {
    const PlayOrder next = order_ == PlayOrder::Stored ? PlayOrder::Shuffled : PlayOrder::Stored;
    const QString value = next == PlayOrder::Stored ? kStoredOrderValue : kShuffledOrderValue;
    if (!store().writeText(settings::kPlayOrder, value)) {
        tell(settings::kPlayOrder + texts::kCannotWrite, MessageIcon::Error);
        return;
    }
    order_ = next;
    setTracks(stored_);
    emit changed();
}

}  // namespace quel
