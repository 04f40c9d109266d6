#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace quel {

// What the desktop's media controls (media keys, the sound menu, playerctl, a phone through KDE
// Connect) may see and ask of the broadcast player. The shell implements it over the player's
// controllers while the player is loaded; the MPRIS adaptor knows only this.
class MprisPlayer : public QObject {
    Q_OBJECT
public:
    // The player's three play modes: through to the end, one track again and again, the list again.
    enum class Loop { None, Track, Playlist };
    enum class State { Stopped, Paused, Playing };
    struct Track {
        QString path;  // empty when no track is open
        QString title;
        QString artist;
        QString album;
        double lengthSeconds = 0;
        int number = 0;  // its line in the list, from 1; tells two entries of one file apart
    };

    using QObject::QObject;

    virtual State state() const = 0;
    virtual Track track() const = 0;
    virtual double position() const = 0;  // seconds
    virtual void setPosition(double seconds) = 0;
    // Linear, 0 silent to 1 full.
    virtual double volume() const = 0;
    virtual void setVolume(double linear) = 0;
    virtual Loop loop() const = 0;
    virtual void setLoop(Loop loop) = 0;
    // 随机顺序
    virtual bool shuffle() const = 0;
    virtual void setShuffle(bool on) = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Shows the player window.
    virtual void raise() = 0;

signals:
    // Anything shown changed, except the position moving on as it plays.
    void changed();
    // The position jumped (a seek, a new track).
    void seeked(double seconds);
};

// The MPRIS metadata of a track: its tags where it has them, else its file name as the title.
QVariantMap mprisMetadata(const MprisPlayer::Track& track);
// The player's volume is in hundredths of a decibel; MPRIS's is linear. `floor` is the quietest the
// player goes, which stands for silence.
double linearFromHundredthsDb(int hundredthsDb, int floor);
int hundredthsDbFromLinear(double linear, int floor);

}  // namespace quel
