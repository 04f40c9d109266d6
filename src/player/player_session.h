#pragma once

#include <QObject>
#include <memory>

#include "platform/platform.h"
#include "player/announcement.h"
#include "player/play_list.h"
#include "player/playback.h"

namespace quel {

class Shuffler;

// What exists while the player is loaded: its own media component, its play list and the loop that
// plays it. Made when the player loads and dropped when it unloads, which ends its playback.
class PlayerSession : public QObject {
    Q_OBJECT
public:
    PlayerSession(Platform& platform, Shuffler& shuffler, QObject* parent = nullptr);
    ~PlayerSession() override;

    Platform& platform() const { return platform_; }
    Media& media() const { return *media_; }
    PlayList& playList() { return list_; }
    Playback& playback() { return playback_; }
    Announcement& announcement() { return announcement_; }
    // 隐藏窗体: the window went away by the operator's choice; the player stays loaded and plays on.
    void hideByOperator() { emit hiddenByOperator(); }

signals:
    void hiddenByOperator();

private:
    Platform& platform_;
    std::unique_ptr<Media> media_;  // MediaPlayer1
    PlayList list_;
    Playback playback_;
    Announcement announcement_;  // the spoken time, never part of the list
};

}  // namespace quel
