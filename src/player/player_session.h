#pragma once

#include <QObject>

#include "platform/platform.h"
#include "player/announcement.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/playback.h"

namespace quel {

class Shuffler;

// What exists while the player is loaded: its own media component, its play list with the operator's
// commands on it and the loop that plays it. Made when the player loads and dropped when it unloads,
// which ends its playback.
class PlayerSession : public QObject {
    Q_OBJECT
public:
    PlayerSession(Platform& platform, Shuffler& shuffler, QObject* parent = nullptr);
    ~PlayerSession() override;

    Platform& platform() const { return platform_; }
    // The component itself; the window reaches it only through the playback.
    Media& media() const { return *media_; }
    PlayList& playList() { return list_; }
    PlayListCommands& listCommands() { return commands_; }
    Playback& playback() { return playback_; }
    Announcement& announcement() { return announcement_; }
    // 隐藏窗体: the window went away by the operator's choice; the player stays loaded and plays on.
    void hideByOperator() { emit hiddenByOperator(); }

signals:
    void hiddenByOperator();

private:
    Platform& platform_;
    // MediaPlayer1, a child of the session: QObject deletes it after every member below that plays
    // through it is gone.
    Media* media_;
    PlayList list_;
    PlayListCommands commands_;
    Playback playback_;
    Announcement announcement_;  // the spoken time, never part of the list
};

}  // namespace quel
