#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include "platform/play_order.h"

namespace quel {

class Media;
struct MediaFault;
class PlayList;

// 直播到底, 单曲循环, 全程循环.
enum class PlayMode { ThroughToEnd, RepeatTrack, RepeatAll };

// The playback loop of the player: which track of the list is current, whether it plays, and what
// follows when it ends. A track that cannot play counts as ended, so a bad file never silences a
// broadcast; once every track of the list has failed in a row with none played to its end, the list
// ends, so a list of bad files does not spin for ever. A failure of the sound output is no track's
// fault: every track would fail the same way, so the loop stops at once and says why, once.
class Playback : public QObject {
    Q_OBJECT
public:
    Playback(Media& media, PlayList& list, QObject* parent = nullptr);

    // 0-based index of the current track in play order; -1 when there is none.
    int currentIndex() const { return index_; }
    // What the window shows: index + 1, 0 for none.
    int currentNumber() const { return index_ + 1; }
    PlayMode mode() const { return mode_; }
    void setMode(PlayMode mode);
    // A track sounds: the pause button shows, not the play button.
    bool isPlaying() const { return playing_; }
    // A track is open, playing or paused.
    bool isOpen() const;
    // The track that sounds now; empty while idle or paused.
    QString playingTrack() const;
    double duration() const;
    double position() const;

    // ▼: continues a paused track, or starts the current one; with none current, the selected line
    // (-1 for none), else the first.
    void play(int selectedLine = -1);
    // ||
    void pause();
    // A double-click on a line.
    void playLine(int line);
    // The operator moved the position slider.
    void seek(double seconds);
    // A broadcast: the list at `path` replaces the current one and plays from its first track as
    // soon as its tracks are checked.
    void broadcast(const QString& path, PlayOrder order);
    // A broadcast waits for the check of its list.
    bool awaitsList() const { return playOnLoad_ != 0; }
    // Silence at once, nothing open, no broadcast waiting; the list stays.
    void stop();
    // The sound output failed (no device, the sound server gone): the loop stops where it is and
    // reports it once. The next play or broadcast tries the output again.
    void outputFailed(const QString& reason);

    // The audio panel. Volume in hundredths of a dB, 0 the loudest; balance from -10000 (left) to
    // 10000 (right).
    int volume() const;
    void setVolume(int hundredthsDb);
    void setBalance(int balance);
    void setMute(bool mute);
    // The native window the component may draw the picture into itself (Media::setVideoWindow).
    bool setVideoWindow(quintptr window);

signals:
    // The current track, the playing state or the mode changed.
    void changed();
    // A track was opened: the duration and position display starts anew.
    void trackOpened();
    void durationChanged(double seconds);
    // The operator moved the open track to `seconds`.
    void positionMoved(double seconds);
    // Tracks that could not play and were passed over, one run of them at a time: reported when the
    // run ends (a track played to its end, the list ended or stopped), so a list of ten thousand
    // missing tracks is one report, not ten thousand.
    void tracksSkipped(const QStringList& paths);
    // The loop stopped because nothing can sound; `reason` says why.
    void stoppedByOutput(const QString& reason);
    void volumeChanged(int hundredthsDb);
    // A picture of the video track that plays.
    void frameShown(const QImage& frame);
    // The picture of the track that plays began to show in the window given to setVideoWindow.
    void videoDrawn();

private:
    void open(int index);
    void advance();
    void endList();
    void goIdle();
    void onEnded();
    void onFailed(const QString& path, const MediaFault& fault);
    void onListReplaced();
    void onListLoaded();
    void onListChanged();
    void setCurrent(int index);
    void reportSkipped();

    Media& media_;
    PlayList& list_;
    int index_ = -1;
    QString current_;  // the text of the current line, to find it again after the list changed
    PlayMode mode_ = PlayMode::ThroughToEnd;
    bool playing_ = false;
    bool open_ = false;  // the component holds a track of this loop
    int failuresInRow_ = 0;
    QStringList skipped_;     // the run of failed tracks not yet reported
    quint64 playOnLoad_ = 0;  // the load whose tracks a broadcast plays once they are checked
};

}  // namespace quel
