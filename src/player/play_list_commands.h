#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/dialogs.h"
#include "platform/edit_mark.h"

namespace quel {

class Files;
class PlayList;

// The operator's commands on the play list (添加 through the track selector, 删除, 清空, 打开, 另存,
// 新建, 默认 and the order boxes) with their questions and messages. Dialogs do not stop the clock tick,
// and a broadcast may replace the list while one is open, so a command acts on the answer only when
// the list it asked about is still the one in memory.
class PlayListCommands : public QObject {
    Q_OBJECT
public:
    PlayListCommands(PlayList& list, Files& files, Dialogs& dialogs, QObject* parent = nullptr);

    PlayList& list() const { return list_; }

    void add(const QStringList& paths);
    // `playingPath` is the track that sounds now (empty while idle or paused): it cannot be deleted.
    void remove(const QString& selectedPath, const QString& playingPath);
    void clear(bool playing);
    void open();
    void saveAs();
    void createNew();
    void makeDefault();
    void switchOrder();

    // A message of the player, counted as an open dialog like the commands' own.
    Answer tell(const QString& text, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);
    bool inDialog() const { return dialogDepth_ > 0; }

signals:
    // The last open dialog of the player closed.
    void dialogsClosed();

private:
    class DialogScope;
    enum class PathQuestion { Open, SaveAs, New };

    bool mayChange();
    bool stillTheSame(const EditMark& before) const;
    void writeFailed(const QString& path);
    QString askPlayListPath(const FileRequest& request, PathQuestion question);

    PlayList& list_;
    Files& files_;
    Dialogs& dialogs_;
    int dialogDepth_ = 0;
};

}  // namespace quel
