#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/platform.h"
#include "platform/play_order.h"
#include "player/shuffle.h"

class QTimer;
class QWidget;

namespace quel {

class PlayerSession;

// What the history says of a run of skipped tracks: the one path, or the first and how many in all.
QString skippedTracksText(const QStringList& paths);

// Owns the broadcast player for the life of the program: loads it on demand (the menu item 实时播音器,
// a broadcast), one at a time, and unloads it (播音关, the window closed). The schedule's broadcast
// responses and the menu call it; the menu item follows playerLoadedChanged().
class Broadcaster : public QObject {
    Q_OBJECT
public:
    // Makes the window that shows a loaded player, or nothing where no window is wanted.
    using WindowMaker = std::function<QWidget*(PlayerSession&)>;

    // The player window FromPlayer shows the player.
    explicit Broadcaster(Platform& platform, QObject* parent = nullptr);
    Broadcaster(Platform& platform, WindowMaker makeWindow, QObject* parent = nullptr);
    ~Broadcaster() override;

    bool isLoaded() const { return session_ != nullptr; }
    // Null while unloaded.
    PlayerSession* session() const { return session_.get(); }
    QWidget* window() const { return window_; }
    // Seconds from an announcement's start until the player goes back to what it did before.
    static constexpr int kResumeSeconds = 15;
    static constexpr int kLongestAnnouncementSeconds = 120;
    bool resumePending() const;

public slots:
    // The menu item 实时播音器: load the player if needed and show it.
    void showPlayer();
    // 播音开-静态 (Stored) and 播音开-动态 (Shuffled): the list replaces whatever the player plays and
    // starts from its first track.
    void broadcastOn(const QString& playListPath, PlayOrder order);
    // 播音关. While a dialog of the player is open the sound stops at once and the player unloads
    // when the dialog has closed.
    void broadcastOff();
    void unload();
    // 中文男声报时 / 中文女声报时: the recorded words, relative to the program folder, play with the
    // player window hidden. Files that are missing are left out.
    void announce(const QStringList& files);
    // Timer2, once a second after an announcement started: at the 15th, or when the announcement has
    // ended if that is later, the player unloads if nothing was broadcasting, else shows again and
    // plays the broadcast's list anew from its first track.
    void resumeTick();

signals:
    // The menu item 实时播音器 is disabled while this is true: while the player is loaded, unless the
    // operator hid its window with 隐藏窗体.
    void playerLoadedChanged(bool loaded);
    // Tracks of the list that could not play and were passed over, one run of them at a time.
    void tracksSkipped(const QStringList& paths);
    // The broadcast of `playListPath` stopped because nothing can sound; `reason` says why.
    void broadcastStopped(const QString& playListPath, const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void cancelResume();
    void announcementEnded();
    void resume();

    Platform& platform_;
    WindowMaker makeWindow_;
    Shuffler shuffler_;
    std::unique_ptr<PlayerSession> session_;
    QPointer<QWidget> window_;
    bool unloadPending_ = false;
    bool hiddenByOperator_ = false;  // 隐藏窗体: loaded, yet the menu item offers the window again
    QTimer* resume_;                 // Timer2
    int resumeSeconds_ = 0;
    bool resumeBroadcast_ = false;
};

}  // namespace quel
