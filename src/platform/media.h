#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

namespace quel {

// One media playback component: plays one file at a time.
class Media : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Writing a path opens it and starts playing from the start; the empty path closes the file.
    virtual void setFileName(const QString& path) = 0;
    // The path last written; empty when idle.
    virtual QString fileName() const = 0;
    // Resumes a paused file; after the end, plays it again from the start.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    // Seconds; 0 while unknown or idle.
    virtual double duration() const = 0;
    virtual double position() const = 0;
    virtual void setPosition(double seconds) = 0;
    // Hundredths of a decibel: 0 is full, more negative is quieter.
    virtual int volume() const = 0;
    virtual void setVolume(int hundredthsDb) = 0;
    // -10000 left only, 0 centre, 10000 right only.
    virtual void setBalance(int balance) = 0;
    virtual void setMute(bool mute) = 0;
    // Whether video tracks show their picture (frameShown) as well as play their sound. Off unless
    // asked for, before the first file name is written: tones, the chime and the alarm stay sound only.
    virtual void setVideoEnabled(bool) {}

signals:
    // Once each time the open file has played to its end; never for pause, stop or a new file name.
    void endOfStream(int state);
    // At most once per file name written, when that file cannot play: missing, not a sound the
    // component decodes, broken midway, a play-list file of another program. Always delivered later
    // from the event loop, never from inside setFileName, so a caller that moves on to the next file in
    // its handler does not recurse through a list of bad files. Dropped once another name is written.
    void failed(const QString& path);
    // The length of the open file became known (some milliseconds after the name was written) or
    // changed; never for the 0 of an idle component.
    void durationChanged(double seconds);
    // A picture of the open file's video, as it is due to show.
    void frameShown(const QImage& frame);
};

// Makes the components: the main window holds two, the player window one.
class MediaFactory {
public:
    virtual ~MediaFactory() = default;
    virtual std::unique_ptr<Media> create() = 0;
};

}  // namespace quel
