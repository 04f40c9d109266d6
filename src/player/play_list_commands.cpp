#include "player/play_list_commands.h"

#include <QFileInfo>

#include "platform/files.h"
#include "platform/settings_names.h"
#include "player/play_list.h"
#include "player/play_list_text.h"
#include "player/player_texts.h"

namespace quel {

namespace {

const QString kListExtension = QStringLiteral(".PLF");

// A name typed without an extension gets the list's own, so the file shows up in the open dialog.
QString withListExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + kListExtension : path;
}

}  // namespace

// Counts the player's open dialogs. The schedule runs on while one is open, and whoever would unload
// the player then waits for dialogsClosed(), so no window is deleted under its own dialog.
class PlayListCommands::DialogScope {
public:
    explicit DialogScope(PlayListCommands& commands) : commands_(commands) { ++commands_.dialogDepth_; }
    ~DialogScope() {
        if (--commands_.dialogDepth_ == 0) {
            emit commands_.dialogsClosed();
        }
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

private:
    PlayListCommands& commands_;
};

PlayListCommands::PlayListCommands(PlayList& list, Files& files, Dialogs& dialogs, QObject* parent)
    : QObject(parent), list_(list), files_(files), dialogs_(dialogs) {}

Answer PlayListCommands::tell(const QString& text, MessageIcon icon, MessageButtons buttons) {
    DialogScope scope(*this);
    return dialogs_.message(texts::kTitle, text, icon, buttons);
}

bool PlayListCommands::mayChange() {
    if (list_.isChecking()) {
        tell(list_.realFileName() + texts::kStillChecking, MessageIcon::Information);
        return false;
    }
    if (!list_.mayOverwriteFile()) {
        tell(list_.realFileName() + texts::kCannotRead, MessageIcon::Warning);
        return false;
    }
    return true;
}

bool PlayListCommands::stillTheSame(const EditMark& before) const {
    return list_.mark() == before;
}

void PlayListCommands::writeFailed(const QString& path) {
    tell(path + texts::kCannotWrite, MessageIcon::Error);
}

void PlayListCommands::add(const QStringList& paths) {
    QStringList fitting;
    for (const QString& p : paths) {
        if (playlist::fitsInList(p)) {
            fitting << p;
        }
    }
    if (fitting.isEmpty() || !mayChange()) {
        return;
    }
    if (!list_.append(fitting)) {
        writeFailed(list_.realFileName());
    }
}

void PlayListCommands::remove(const QString& selectedPath, const QString& playingPath) {
    if (!playingPath.isEmpty() && selectedPath == playingPath) {
        tell(texts::kCannotDeletePlaying, MessageIcon::Warning);
        return;
    }
    if (selectedPath.isEmpty()) {
        tell(texts::kSelectTrackToDelete, MessageIcon::Warning);
        return;
    }
    if (mayChange() && !list_.removeTrack(selectedPath)) {
        writeFailed(list_.realFileName());
    }
}

void PlayListCommands::clear(bool playing) {
    if (playing) {
        tell(texts::kCannotClearWhilePlaying, MessageIcon::Warning);
        return;
    }
    if (!mayChange()) {
        return;
    }
    const EditMark asked = list_.mark();
    if (tell(texts::kClearAll, MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes ||
        !stillTheSame(asked)) {
        return;
    }
    if (!list_.clear()) {
        writeFailed(list_.realFileName());
    }
}

// Asks for a list file; a save dialog asks before it overwrites. Empty when the operator cancelled or
// the list was replaced while the dialog was open.
QString PlayListCommands::askPlayListPath(const FileRequest& request, PathQuestion question) {
    const bool saving = question != PathQuestion::Open;
    const EditMark asked = list_.mark();
    for (;;) {
        QString path;
        {
            DialogScope scope(*this);
            path = saving ? dialogs_.saveFile(request) : dialogs_.openFile(request);
        }
        if (path.isEmpty() || !stillTheSame(asked)) {
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
                return stillTheSame(asked) ? path : QString();
            }
        }
        if (!stillTheSame(asked)) {
            return {};
        }
    }
}

void PlayListCommands::open() {
    const QString path = askPlayListPath({texts::kOpenTitle, list_.playListFolder(), texts::kPlayListFilter},
                                         PathQuestion::Open);
    if (!path.isEmpty()) {
        list_.load(path);
    }
}

void PlayListCommands::saveAs() {
    if (list_.isChecking()) {
        tell(list_.realFileName() + texts::kStillChecking, MessageIcon::Information);
        return;
    }
    if (list_.trackCount() == 0) {
        tell(texts::kListEmpty, MessageIcon::Information);
        return;
    }
    const QString path = askPlayListPath({texts::kSaveAsTitle, list_.playListFolder(), texts::kSaveAsFilter},
                                         PathQuestion::SaveAs);
    if (!path.isEmpty() && !list_.saveAs(path)) {
        writeFailed(path);
    }
}

void PlayListCommands::createNew() {
    const QString path = askPlayListPath({texts::kNewTitle, list_.playListFolder(), texts::kPlayListFilter},
                                         PathQuestion::New);
    if (!path.isEmpty() && !list_.create(path)) {
        writeFailed(path);
    }
}

void PlayListCommands::makeDefault() {
    const QString path = list_.realFileName();
    // The settings value would be read back only up to the quote.
    if (path.contains(QLatin1Char('"'))) {
        tell(texts::kCannotStoreQuote + path, MessageIcon::Warning);
        return;
    }
    if (!list_.makeDefault()) {
        writeFailed(settings::kDefaultPlf);
        return;
    }
    tell(path + texts::kMadeDefault, MessageIcon::Information);
}

void PlayListCommands::switchOrder() {
    if (!list_.switchOrder()) {
        writeFailed(settings::kPlayOrder);
    }
}

}  // namespace quel
