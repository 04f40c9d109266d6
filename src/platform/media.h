#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace quel {

// Why a file name did not play. A file fault is the file's own (missing, unreadable, not a sound): the
// next file may well play. An output fault is the sound output's (no device, the sound server gone, a
// part of GStreamer missing): nothing will play until it is mended, so a caller working through a list
// stops instead of writing a failure per file.
struct MediaFault {
    enum class Kind { Unknown, File, Output };
    Kind kind = Kind::Unknown;
    // What the operator reads, in Chinese ("文件不存在"); empty for Unknown.
    QString reason;
    bool operator==(const MediaFault&) const = default;
};

// The reasons the component gives.
namespace media_reason {
inline const QString kMissing = QStringLiteral("文件不存在");
inline const QString kUnreadable = QStringLiteral("文件无法读取");
inline const QString kNotAFile = QStringLiteral("不是普通文件");
inline const QString kUnreachable = QStringLiteral("文件打不开（无响应）");
inline const QString kUndecodable = QStringLiteral("无法解码");
inline const QString kNoDecoder = QStringLiteral("缺少这种格式的解码器");
inline const QString kNoOutput = QStringLiteral("没有声音输出");
}  // namespace media_reason

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
    // A native window of the display (an X11 window id) that the component may draw the picture into
    // itself, which costs far less than handing every frame over as an image. True when it does so
    // from now on: videoDrawn then says when a picture shows, and frameShown stays silent. False when
    // it cannot: frames keep coming as images. 0 takes the window back; call it before that window is
    // destroyed, and a file that plays goes on with its frames as images.
    virtual bool setVideoWindow(quintptr) { return false; }
    // For a sound that must be heard the moment it starts, however long it waited open and paused:
    // the output plays each sample as soon as it has it instead of at its time on the clock. On a
    // PulseAudio output that clock runs on while a file that never played waits paused, so the first
    // start would wait as long again as the file waited. Sound only, before the first file name.
    virtual void setImmediate(bool) {}
    // Opens `path` ahead of its time and holds it silent at its start, so that writing the same name
    // later (stop before it included) only has to start the sound. Nothing happens while another file
    // is playing or paused: a sound in progress is never cut off for one that is only due. The empty
    // path lets a file that is still only cued go; fileName() names a cued file.
    virtual void cue(const QString&) {}
    // Whether the open file is one cued and not yet sounded.
    virtual bool isCued() const { return false; }
    // Plays `paths` one after another as one stream, without a gap between them: the spoken time is
    // words in files of their own, and a pause at each seam is heard. fileName() names the first;
    // endOfStream comes once, after the last. Files that cannot play are left out; failed() names the
    // first path when none can. False when this component plays one file at a time, and then nothing
    // changed.
    virtual bool setFileNames(const QStringList&) { return false; }

signals:
    // Once each time the open file has played to its end; never for pause, stop or a new file name.
    void endOfStream(int state);
    // At most once per file name written, when that file cannot play: missing, not a sound the
    // component decodes, broken midway, a play-list file of another program. Always delivered later
    // from the event loop, never from inside setFileName, so a caller that moves on to the next file in
    // its handler does not recurse through a list of bad files. Dropped once another name is written.
    // `fault` says whose fault it was and why.
    void failed(const QString& path, const quel::MediaFault& fault = {});
    // The length of the open file became known (some milliseconds after the name was written) or
    // changed; never for the 0 of an idle component.
    void durationChanged(double seconds);
    // A picture of the open file's video, as it is due to show.
    void frameShown(const QImage& frame);
    // The open file's picture began to show in the window handed to setVideoWindow.
    void videoDrawn();
};

// Makes the components: the main window holds two, the player window one.
class MediaFactory {
public:
    virtual ~MediaFactory() = default;
    virtual std::unique_ptr<Media> create() = 0;
    // The broadcast's and the emergency's component: the same as create(), unless the program also
    // sends these to other buildings (a Snapcast server's pipe). Bells never go there.
    virtual std::unique_ptr<Media> createForBroadcast() { return create(); }
};

}  // namespace quel
