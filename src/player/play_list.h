#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/play_order.h"
#include "platform/settings_store.h"

namespace quel {

class Shuffler;

// The player's current play list: its file, its tracks in stored and in play order, the default list
// and the list commands with their messages. Every command writes the file first and changes memory
// only once the write succeeded, then emits changed(). A command that asked a question goes on only if
// the list is still the one it asked about: the schedule may replace it while a dialog is open.
class PlayList : public QObject {
    Q_OBJECT
public:
    PlayList(Files& files, Dialogs& dialogs, QString programFolder, Shuffler& shuffler,
             QObject* parent = nullptr);

    // The player's load: the order from PlayOrder.txt and the default list, repairing DefaultPLF.txt
    // when it names no file. A default list that does not exist is created empty.
    void loadDefault();
    // A broadcast: `path` in `order`, for this broadcast only (PlayOrder.txt is not written).
    void loadForBroadcast(const QString& path, PlayOrder order);

    // The operator's commands (添加 through the track selector, 删除, 清空, 打开, 另存, 新建, 默认).
    void add(const QStringList& paths);
    // `playingPath` is the track that sounds now (empty while idle or paused): it cannot be deleted.
    void remove(const QString& selectedPath, const QString& playingPath);
    void clear(bool playing);
    void open();
    void saveAs();
    void createNew();
    void makeDefault();
    // 随机顺序 / 原始顺序: the other order, remembered in PlayOrder.txt.
    void switchOrder();

    // A message of the player, counted as an open dialog like the commands' own.
    Answer tell(const QString& text, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

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
    // How the last read found the current list file. A file that exists but cannot be read keeps its
    // tracks on disk, so nothing may overwrite it while the list in memory is empty.
    ReadStatus fileState() const { return fileState_; }
    // Moves on whenever another list (or the same file anew) replaces the current one.
    quint64 loadCount() const { return loads_; }
    // Moves on whenever the tracks in play order change.
    quint64 tracksRevision() const { return revision_; }
    bool inDialog() const { return dialogDepth_ > 0; }

signals:
    void changed();
    // Another list was loaded in place of the current one: whatever played belongs to the old one.
    void replaced();
    // The last open dialog of the player closed.
    void dialogsClosed();

private:
    class DialogScope;
    enum class PathQuestion { Open, SaveAs, New };
    struct Snapshot {
        quint64 loads;
        QString file;
    };

    void cleanLoad(const QString& path);
    void setTracks(QStringList stored);
    void replace(const QString& path, const QStringList& stored);
    bool refuseUnreadable();
    bool writeList(const QString& path, const QByteArray& bytes);
    void reread();
    QString askPlayListPath(const FileRequest& request, PathQuestion question);
    Snapshot snapshot() const { return {loads_, realFileName_}; }
    bool still(const Snapshot& s) const { return s.loads == loads_ && s.file == realFileName_; }
    QString playListFolder() const;
    SettingsStore store() const { return SettingsStore(files_, programFolder_); }

    Files& files_;
    Dialogs& dialogs_;
    QString programFolder_;
    Shuffler& shuffler_;

    QString realFileName_;
    QStringList stored_;
    QStringList shown_;
    PlayOrder order_ = PlayOrder::Stored;
    QString defaultPath_;
    QString playerPath_;
    ReadStatus fileState_ = ReadStatus::Missing;
    quint64 loads_ = 0;
    quint64 revision_ = 0;
    int dialogDepth_ = 0;
};

}  // namespace quel
