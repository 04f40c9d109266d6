#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

#include "platform/edit_mark.h"
#include "platform/files.h"
#include "platform/play_order.h"
#include "platform/settings_store.h"
#include "player/play_list_text.h"

namespace quel {

class Shuffler;
class Worker;

// The player's current play list: its file, its tracks in stored and in play order, the default list
// and how the last read found the file. Every edit writes the file first and changes memory only once
// the write succeeded, then emits changed(). A load shows the new list's name at once and its tracks
// once their check (a stat() per track, on a worker) is done; a load that another load or edit
// overtook is thrown away, so a late check never fills the wrong list.
class PlayList : public QObject {
    Q_OBJECT
public:
    PlayList(Files& files, QString programFolder, Shuffler& shuffler, Worker& worker,
             QObject* parent = nullptr);
    ~PlayList() override;

    // The player's load: the order from PlayOrder.txt and the default list, repairing DefaultPLF.txt
    // when it names no file. A default list that does not exist is created empty.
    void loadDefault();
    // A broadcast: `path` in `order`, for this broadcast only (PlayOrder.txt is not written).
    void loadForBroadcast(const QString& path, PlayOrder order);
    // 打开: `path` in the order of PlayOrder.txt.
    void load(const QString& path);

    // The edits. False, with file and memory as they were, when the write failed; after a failed
    // write memory is made to match the file on disk again.
    bool append(const QStringList& tracks);
    // Every copy of `track` goes.
    bool removeTrack(const QString& track);
    bool clear();
    // Writes the tracks in play order to `path`, which becomes the current file.
    bool saveAs(const QString& path);
    // Writes the empty list to `path` (replacing a file there) and makes it the current list.
    bool create(const QString& path);
    // Stores the current path in DefaultPLF.txt. The caller refuses a path with a double quote.
    bool makeDefault();
    // 随机顺序 / 原始顺序: the other order, remembered in PlayOrder.txt.
    bool switchOrder();

    const QString& realFileName() const { return realFileName_; }  // RealFileName
    QString listText() const;                                      // PlayFileString
    const QStringList& storedTracks() const { return stored_; }
    // In play order, as the track list shows them.
    const QStringList& tracks() const { return shown_; }
    int trackCount() const { return int(shown_.size()); }
    PlayOrder order() const { return order_; }
    const QString& defaultPath() const { return defaultPath_; }
    bool isDefault() const;
    // Where the track selector opens: the last track of the list after most refills.
    const QString& playerPath() const { return playerPath_; }
    QString playListFolder() const;
    // How the last read found the current list file. A file that exists but cannot be read keeps its
    // tracks on disk, so nothing may overwrite it while the list in memory is empty.
    ReadStatus fileState() const { return fileState_; }
    // False while the file cannot be read, and while its check runs: the list in memory is empty
    // then, and an edit written from it would wipe the file's tracks.
    bool mayOverwriteFile() const;
    // The tracks of the current file are being checked; the list shows empty meanwhile.
    bool isChecking() const { return checking_; }
    // Moves on with every load started, so a question asked about this list can tell whether it is
    // still the one in memory when the answer comes.
    EditMark mark() const { return {realFileName_, loads_}; }
    // Moves on whenever the tracks in play order change.
    quint64 tracksRevision() const { return revision_; }

signals:
    void changed();
    // Another list (or the same file anew) is being loaded in place of the current one: whatever
    // played belongs to the old one. Its tracks follow with loaded().
    void replaced();
    // The check of the list that replaced the last one is done and its tracks are in.
    void loaded();
    void checkingChanged(bool checking);

private:
    enum class Load { Default, Broadcast, Open };

    void startLoad(const QString& path, Load kind);
    void finishLoad(quint64 ticket, Load kind, const playlist::CheckedList& checked);
    void cancelCheck();
    void setChecking(bool checking);
    void setTracks(QStringList stored);
    bool writeList(const QString& path, const QStringList& stored);
    void reread();
    SettingsStore store() const { return SettingsStore(files_, programFolder_); }

    Files& files_;
    QString programFolder_;
    Shuffler& shuffler_;
    Worker& worker_;

    QString realFileName_;
    QStringList stored_;
    QStringList shown_;
    PlayOrder order_ = PlayOrder::Stored;
    QString defaultPath_;
    QString playerPath_;
    ReadStatus fileState_ = ReadStatus::Missing;
    quint64 loads_ = 0;
    quint64 revision_ = 0;
    bool checking_ = false;
    std::shared_ptr<std::atomic_bool> cancelCheck_;
};

}  // namespace quel
