#pragma once

#include <gst/gst.h>

#include <QList>
#include <QString>
#include <atomic>
#include <mutex>
#include <optional>

#include "media/gst_backend.h"
#include "platform/media.h"

namespace quel {

// The media component on a GStreamer playbin. The pipeline is built when the first file name is
// written and goes back to NULL (no threads, no device) whenever nothing is open, so an idle component
// costs nothing. A local file is first checked on a thread of its own (a FIFO or a stalled network
// share would otherwise hold the GUI thread inside GStreamer's open for good); only a regular file that
// answered reaches the pipeline, whose state changes to PAUSED and PLAYING are asynchronous. GStreamer's
// messages cross to this object's thread as posted events; each carries the generation it was posted in, and
// anything from a file or segment that has since been replaced is dropped, so a late end of an old file never
// reaches the new one.
class GstMedia final : public Media {
    Q_OBJECT
public:
    // `audioSink` replaces the output that QUELBROOK_AUDIO_SINK names; the component takes it over
    // (a floating reference as gst_element_factory_make returns, or a reference handed over).
    explicit GstMedia(GstElement* audioSink = nullptr, QObject* parent = nullptr);
    ~GstMedia() override;
    GstMedia(const GstMedia&) = delete;
    GstMedia& operator=(const GstMedia&) = delete;

    void setFileName(const QString& path) override;
    QString fileName() const override { return fileName_; }
    void play() override;
    void pause() override;
    void stop() override;
    double duration() const override;
    double position() const override;
    void setPosition(double seconds) override;
    int volume() const override { return volume_; }
    void setVolume(int hundredthsDb) override;
    void setBalance(int balance) override;
    void setMute(bool mute) override;
    void setVideoEnabled(bool enabled) override { video_ = enabled; }
    bool setVideoWindow(quintptr window) override;
    void setImmediate(bool immediate) override { immediate_ = immediate; }
    void cue(const QString& path) override;
    bool isCued() const override { return phase_ == Phase::Cued; }
    bool setFileNames(const QStringList& paths) override;

    // The argument of every end-of-stream notification: "media ended", which the handlers ignore.
    static constexpr int kEndedState = 8;
    static constexpr int kSilentVolume = -10000;
    static constexpr int kFullVolume = 0;
    static constexpr int kBalanceRange = 10000;
    // How long writing a name waits for the file's check (a local disk answers well within it), and
    // how long a file may take to answer before it counts as unreachable.
    static constexpr int kCheckWaitMs = 20;
    static constexpr int kCheckTimeoutMs = 2000;

protected:
    bool event(QEvent* e) override;

private:
    // Cued: open and held silent at the start until the same name is written.
    enum class Phase { Idle, Playing, Paused, Ended, Stopped, Failed, Cued };
    class BusEvent;

    bool ensurePipeline();
    bool makeAudioFilter();
    static void playUnsynced(GstElement* sink);
    void attachBus();
    void detachBus();
    struct Checked;
    void load(const QStringList& paths, Phase target);
    void checked(quint64 serial, const Checked& result);
    void hand(const QByteArray& uri);
    void setFollowing(QList<QByteArray> uris);
    static void onAboutToFinish(GstElement* playbin, gpointer self);
    bool changeState(GstState state);
    void start();
    void halt();
    void fail(const MediaFault& fault);
    void noteFault(const MediaFault& fault);
    std::optional<MediaFault> takeNotedFault();
    void reportDuration();
    bool prerolled() const;
    bool seekNow(double seconds);
    void applyVolume();
    void applyBalance();
    void applyMute();
    void handleMessage(GstMessage* message, quint64 segment);
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void holdOutput();
    bool resumeOutput(double seconds);
    void attachVideo();
    bool attachWindowSink();
    void replaceVideoSink();
    static GstFlowReturn onVideoSample(GstElement* sink, gpointer self);
    static GstPadProbeReturn onWindowFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    GstElement* pipeline_ = nullptr;
    GstElement* panorama_ = nullptr;
    GstElement* level_ = nullptr;      // the volume and mute, when not playbin's own
    GstElement* audioSink_ = nullptr;  // held until the pipeline takes it
    QString fileName_;
    Phase phase_ = Phase::Idle;
    std::optional<double> pendingSeek_;  // waits for the file to open
    std::optional<double> seekTarget_;   // sent, until the pipeline has settled there
    mutable double knownDuration_ = 0.0;
    double reportedDuration_ = 0.0;  // the last durationChanged of the open file
    quint64 nameSerial_ = 0;         // moves on with every file name written
    bool failReported_ = false;      // of the name last written
    bool opened_ = false;            // the pipeline holds the name last written, which passed its check
    QList<QByteArray> pendingUris_;  // wait for their check
    QStringList pendingNames_;       // the names of those URIs
    QStringList sequence_;           // the names that passed their check, in the order they play
    int streamStarts_ = 0;           // of the files of `sequence_`, as they reach the output
    bool startLogged_ = false;       // of the name last written
    int volume_ = kFullVolume;
    int balance_ = 0;
    bool mute_ = false;
    bool video_ = false;
    quintptr videoWindow_ = 0;  // the native window the picture is drawn into; 0 for frames as images
    bool immediate_ = false;
    bool outputHeld_ = false;  // a cued file's output is closed until it sounds

    // Written on this object's thread, read by GStreamer's threads when they stamp a message.
    // `generation_` moves on whenever the pipeline goes to NULL (its threads are then joined, so every
    // older message carries an older stamp); `segment_` moves on before every seek, so an end reached
    // before a seek is not taken for the end of the part played after it.
    std::atomic<quint64> generation_{0};
    std::atomic<quint64> segment_{0};
    // The generation whose picture last reached the video window, so that videoDrawn comes once a file.
    std::atomic<quint64> drawnGeneration_{~quint64(0)};

    // The error a state change raised on the thread that asked for it, so that a start refused at once
    // still says why; taken by that caller, stale once the generation moved on.
    std::mutex notedMutex_;
    std::optional<MediaFault> notedFault_;
    quint64 notedGeneration_ = 0;

    // The files of a sequence still to come, taken one at a time on the streaming thread just before
    // the one playing runs out.
    std::mutex followingMutex_;
    QList<QByteArray> following_;
};

// Makes the GStreamer media components. Making one is cheap: GStreamer starts only when a component
// is first given a file.
class GstMediaFactory final : public MediaFactory {
public:
    // `broadcastPipe`: the FIFO of a Snapcast server's pipe source that broadcasts also go into;
    // empty, they play here only.
    explicit GstMediaFactory(QByteArray broadcastPipe = {}) : broadcastPipe_(std::move(broadcastPipe)) {}
    std::unique_ptr<Media> create() override;
    std::unique_ptr<Media> createForBroadcast() override;

private:
    QByteArray broadcastPipe_;
};

}  // namespace quel
