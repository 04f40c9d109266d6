#include "media/gst_media.h"

#include <gst/audio/streamvolume.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <thread>

#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/media_fault.h"
#include "media/media_uri.h"
#include "media/pipe_copy.h"
#include "platform/log.h"

namespace quel {

namespace {

// playbin's GstPlayFlags: decode audio only, so a video file plays its sound and opens no window;
// the software volume keeps the level ours instead of the sound server's stream volume.
constexpr guint kPlayFlagVideo = 0x1;
constexpr guint kPlayFlagAudio = 0x2;
constexpr guint kPlayFlagSoftVolume = 0x10;
constexpr double kHundredthsPerDb = 100.0;

QEvent::Type busEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

double toSeconds(gint64 nanoseconds) {
    return nanoseconds > 0 ? static_cast<double>(nanoseconds) / GST_SECOND : 0.0;
}

}  // namespace

// What the check of a file name (or of a sequence's names) found: the URIs that may play, in order,
// and the first fault of those that may not.
struct GstMedia::Checked {
    QList<int> playable;  // indices into the names that were checked
    std::optional<MediaFault> fault;
};

// One bus message on its way to the Qt thread. It holds its own reference, so a message that is
// never delivered (the component was destroyed first) is still released.
class GstMedia::BusEvent final : public QEvent {
public:
    BusEvent(GstMessage* posted, quint64 postedGeneration, quint64 postedSegment)
        : QEvent(busEventType()),
          message(gst_message_ref(posted)),
          generation(postedGeneration),
          segment(postedSegment) {}
    ~BusEvent() override { gst_message_unref(message); }
    BusEvent(const BusEvent&) = delete;
    BusEvent& operator=(const BusEvent&) = delete;

    GstMessage* const message;
    const quint64 generation;
    const quint64 segment;
};

GstMedia::GstMedia(GstElement* audioSink, QObject* parent) : Media(parent), audioSink_(audioSink) {
    if (audioSink_ && g_object_is_floating(audioSink_)) {
        gst_object_ref_sink(audioSink_);
    }
}

GstMedia::~GstMedia() {
    if (pipeline_) {
        // NULL joins every streaming thread, so no message handler runs once the bus is detached;
        // messages already posted die with this object's event queue.
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        detachBus();
        gst_object_unref(pipeline_);
    }
    if (panorama_) {
        gst_object_unref(panorama_);
    }
    if (level_) {
        gst_object_unref(level_);
    }
    if (audioSink_) {
        gst_object_unref(audioSink_);
    }
}

std::unique_ptr<Media> GstMediaFactory::create() {
    return std::make_unique<GstMedia>();
}

std::unique_ptr<Media> GstMediaFactory::createForBroadcast() {
    if (broadcastPipe_.isEmpty() || !initMedia())
        return create();
    return std::make_unique<GstMedia>(
        makePipeCopySink(makeAudioSink(qgetenv(kAudioSinkVariable)), broadcastPipe_));
}

namespace {

void unsync(GstElement* element) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "sync"))
        g_object_set(element, "sync", FALSE, nullptr);
}

}  // namespace

// The output, or every sink of a chain that names one.
void GstMedia::playUnsynced(GstElement* sink) {
    if (!GST_IS_BIN(sink)) {
        unsync(sink);
        return;
    }
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync")) {
        unsync(sink);  // autoaudiosink hands it to the output it picks
        return;
    }
    GstIterator* sinks = gst_bin_iterate_sinks(GST_BIN(sink));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
        unsync(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(sinks);
}

bool GstMedia::ensurePipeline() {
    if (pipeline_) {
        return true;
    }
    if (!initMedia()) {
        return false;
    }
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        qCDebug(lcMedia) << "No playbin element: nothing can play";
        return false;
    }
    pipeline_ = GST_ELEMENT(gst_object_ref_sink(playbin));
    const bool ownLevel = makeAudioFilter();
    g_object_set(pipeline_, "flags",
                 kPlayFlagAudio | (ownLevel ? 0u : kPlayFlagSoftVolume) | (video_ ? kPlayFlagVideo : 0u),
                 nullptr);
    if (video_) {
        attachVideo();
    } else if (GstElement* none = gst_element_factory_make("fakesink", nullptr)) {
        // Named, so playbin does not load every video output of the machine to choose one it won't use
        // (some crash when loaded where no display of theirs exists).
        g_object_set(pipeline_, "video-sink", none, nullptr);
    }

    GstElement* sink = audioSink_ ? audioSink_ : makeAudioSink(qgetenv(kAudioSinkVariable));
    audioSink_ = nullptr;
    if (immediate_) {
        // The automatic output, made here so that it can be told not to wait for the clock.
        if (!sink) {
            if (GstElement* automatic = gst_element_factory_make("autoaudiosink", nullptr))
                sink = GST_ELEMENT(gst_object_ref_sink(automatic));
        }
        if (sink)
            playUnsynced(sink);
    }
    if (sink) {
        g_object_set(pipeline_, "audio-sink", sink, nullptr);
        gst_object_unref(sink);
    }

    g_signal_connect(pipeline_, "about-to-finish", G_CALLBACK(&GstMedia::onAboutToFinish), this);
    attachBus();
    applyVolume();
    applyBalance();
    applyMute();
    return true;
}

// The level and the balance, as the one audio filter of the pipeline. The level is an element of our
// own rather than playbin's software volume: playbin makes a volume element for every stream it opens
// and never frees it, a few kilobytes left behind by every bell for the rest of the run. False when
// there is no volume element, and playbin's own must do.
bool GstMedia::makeAudioFilter() {
    GstElement* level = gst_element_factory_make("volume", nullptr);
    // The simple method turns one side down and never mixes it into the other, so "left only" is
    // silence on the right, as the balance control promises.
    GstElement* panorama = gst_element_factory_make("audiopanorama", nullptr);
    if (!panorama) {
        qCDebug(lcMedia) << "No audiopanorama element: balance has no effect";
    }
    if (!level) {
        if (panorama) {
            panorama_ = GST_ELEMENT(gst_object_ref_sink(panorama));
            gst_util_set_object_arg(G_OBJECT(panorama_), "method", "simple");
            g_object_set(pipeline_, "audio-filter", panorama_, nullptr);
        }
        return false;
    }
    GstElement* filter = gst_bin_new(nullptr);
    level_ = GST_ELEMENT(gst_object_ref(level));
    gst_bin_add(GST_BIN(filter), level);
    GstElement* last = level;
    if (panorama) {
        panorama_ = GST_ELEMENT(gst_object_ref(panorama));
        gst_util_set_object_arg(G_OBJECT(panorama_), "method", "simple");
        gst_bin_add(GST_BIN(filter), panorama);
        gst_element_link(level, panorama);
        last = panorama;
    }
    GstPad* in = gst_element_get_static_pad(level, "sink");
    GstPad* out = gst_element_get_static_pad(last, "src");
    gst_element_add_pad(filter, gst_ghost_pad_new("sink", in));
    gst_element_add_pad(filter, gst_ghost_pad_new("src", out));
    gst_object_unref(in);
    gst_object_unref(out);
    g_object_set(pipeline_, "audio-filter", filter, nullptr);
    return true;
}

void GstMedia::attachBus() {
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &GstMedia::onBusMessage, this, nullptr);
    gst_object_unref(bus);
}

void GstMedia::detachBus() {
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
}

// Runs on whichever GStreamer thread posted the message. Every message is dropped from the bus, so
// nothing piles up there; the few that matter travel on as posted events, which needs no GLib main
// loop whatever event dispatcher Qt runs. A handler that drops a message owns its reference.
GstBusSyncReply GstMedia::onBusMessage(GstBus*, GstMessage* message, gpointer self) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        static_cast<GstMedia*>(self)->noteFault(classifyError(message));
    }
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED:
        case GST_MESSAGE_STREAM_START:
        case GST_MESSAGE_CLOCK_LOST: {
            auto* media = static_cast<GstMedia*>(self);
            QCoreApplication::postEvent(
                media, new BusEvent(message, media->generation_.load(), media->segment_.load()));
            break;
        }
        default:
            break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

bool GstMedia::event(QEvent* e) {
    if (e->type() != busEventType()) {
        return Media::event(e);
    }
    const auto* bus = static_cast<BusEvent*>(e);
    if (bus->generation == generation_.load()) {
        const bool staleEnd =
            GST_MESSAGE_TYPE(bus->message) == GST_MESSAGE_EOS && bus->segment != segment_.load();
        if (!staleEnd) {
            handleMessage(bus->message, bus->segment);
        }
    }
    return true;
}

void GstMedia::handleMessage(GstMessage* message, quint64 segment) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            if (phase_ == Phase::Playing || phase_ == Phase::Paused) {
                phase_ = Phase::Ended;
                // Paused at the end, the output stops running instead of feeding silence until play.
                gst_element_set_state(pipeline_, GST_STATE_PAUSED);
                emit endOfStream(kEndedState);
            }
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            qCDebug(lcMedia) << "Cannot play" << fileName_ << ":" << (error ? error->message : "");
            g_clear_error(&error);
            fail(classifyError(message));
            break;
        }
        case GST_MESSAGE_ASYNC_DONE:
            if (!startLogged_ && phase_ == Phase::Playing) {
                // The one line a run of the whole program is checked by: which files really began.
                startLogged_ = true;
                qCDebug(lcMedia).noquote() << "Started" << sequence_.value(0, fileName_);
            }
            reportDuration();  // learnt as soon as the file is open
            if (segment == segment_.load()) {
                seekTarget_.reset();
            }
            if (pendingSeek_) {
                const double seconds = *pendingSeek_;
                pendingSeek_.reset();
                seekNow(seconds);
            }
            if (phase_ == Phase::Cued && !outputHeld_) {
                holdOutput();
            }
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            reportDuration();
            break;
        case GST_MESSAGE_STREAM_START:
            // The first stream is the one opened; each later one is the next file of a sequence reaching
            // the output.
            if (++streamStarts_ > 1 && streamStarts_ <= sequence_.size()) {
                qCDebug(lcMedia).noquote() << "Started" << sequence_.at(streamStarts_ - 1);
            }
            break;
        case GST_MESSAGE_CLOCK_LOST:
            // The output device went away and took the clock; a fresh PLAYING picks a new one.
            if (phase_ == Phase::Playing) {
                gst_element_set_state(pipeline_, GST_STATE_PAUSED);
                gst_element_set_state(pipeline_, GST_STATE_PLAYING);
            }
            break;
        default:
            break;
    }
}

void GstMedia::reportDuration() {
    const double seconds = duration();
    if (seconds > 0 && seconds != reportedDuration_) {
        reportedDuration_ = seconds;
        emit durationChanged(seconds);
    }
}

// A cued file is decoded up to its first samples, but its output is let go: a PulseAudio stream
// created at the preroll reads its time on as if it played while it waits, and the first start would then
// put the sound as far into the stream as the file waited. Without a stream the wait also costs the sound
// server nothing.
void GstMedia::holdOutput() {
    GstElement* sink = nullptr;
    g_object_get(pipeline_, "audio-sink", &sink, nullptr);
    if (!sink) {
        return;
    }
    gst_element_set_state(sink, GST_STATE_READY);
    gst_object_unref(sink);
    outputHeld_ = true;
}

// The output opened again where it was let go, with a flushing seek that sends it the file from
// `seconds` on: what was decoded before went nowhere. False when the output was never let go.
bool GstMedia::resumeOutput(double seconds) {
    if (!outputHeld_) {
        return false;
    }
    outputHeld_ = false;
    GstElement* sink = nullptr;
    g_object_get(pipeline_, "audio-sink", &sink, nullptr);
    if (sink) {
        gst_element_sync_state_with_parent(sink);
        gst_object_unref(sink);
    }
    seekNow(seconds);
    return true;
}

void GstMedia::setFileName(const QString& path) {
    if (phase_ == Phase::Cued && path == fileName_ && !path.isEmpty()) {
        // Opened ahead of its time: only the sound is left to start.
        phase_ = Phase::Playing;
        if (resumeOutput(0.0)) {
            changeState(GST_STATE_PLAYING);
            return;
        }
        if (opened_ && prerolled() && !startLogged_) {
            startLogged_ = true;
            qCDebug(lcMedia).noquote() << "Started" << sequence_.value(0, fileName_);
        }
        changeState(GST_STATE_PLAYING);
        return;
    }
    load({path}, Phase::Playing);
}

bool GstMedia::setFileNames(const QStringList& paths) {
    load(paths, Phase::Playing);
    return true;
}

void GstMedia::cue(const QString& path) {
    if (path.isEmpty()) {
        if (phase_ == Phase::Cued) {
            load({}, Phase::Idle);
        }
        return;
    }
    if (phase_ == Phase::Playing || phase_ == Phase::Paused || (phase_ == Phase::Cued && path == fileName_)) {
        return;
    }
    load({path}, Phase::Cued);
}

void GstMedia::load(const QStringList& paths, Phase target) {
    const QString path = paths.value(0);
    if (path.isEmpty() && !fileName_.isEmpty()) {
        qCDebug(lcMedia).noquote() << "Closed" << fileName_;
    }
    fileName_ = path;
    ++nameSerial_;
    failReported_ = false;
    startLogged_ = false;
    pendingSeek_.reset();
    halt();
    opened_ = false;
    pendingUris_.clear();
    pendingNames_.clear();
    sequence_.clear();
    setFollowing({});
    if (path.isEmpty()) {
        phase_ = Phase::Idle;
        return;
    }
    phase_ = target;
    if (!ensurePipeline()) {
        fail({MediaFault::Kind::Output, media_reason::kNoOutput});
        return;
    }
    for (const QString& each : paths) {
        if (QByteArray uri = mediaUri(each); !uri.isEmpty()) {
            pendingUris_ << uri;
            pendingNames_ << each;
        }
    }
    if (pendingUris_.isEmpty()) {
        fail({MediaFault::Kind::File, media_reason::kMissing});
        return;
    }

    // The check runs on a thread of its own, which may outlive the component (a share that never
    // answers keeps it for good), so it holds nothing of it. A local disk answers within the short
    // wait and the file is handed on at once; a late answer is posted to the application and dropped
    // once this name is gone, and one that never comes fails the file after kCheckTimeoutMs. A stream
    // of the network is not checked: GStreamer opens it asynchronously by itself.
    struct Check {
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false;
        bool late = false;
        Checked result;
    };
    const auto check = std::make_shared<Check>();
    const quint64 serial = nameSerial_;
    std::thread([uris = pendingUris_, check, serial, self = QPointer<GstMedia>(this)] {
        Checked result;
        for (int i = 0; i < uris.size(); ++i) {
            gchar* local = g_filename_from_uri(uris.at(i).constData(), nullptr, nullptr);
            const std::optional<MediaFault> fault = local ? checkLocalFile(QByteArray(local)) : std::nullopt;
            g_free(local);
            if (!fault) {
                result.playable << i;
            } else if (!result.fault) {
                result.fault = fault;
            }
        }
        std::lock_guard lock(check->mutex);
        check->done = true;
        check->result = result;
        check->answered.notify_all();
        if (check->late) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [result, serial, self] {
                    if (self) {
                        self->checked(serial, result);
                    }
                },
                Qt::QueuedConnection);
        }
    }).detach();

    std::unique_lock lock(check->mutex);
    if (check->answered.wait_for(lock, std::chrono::milliseconds(kCheckWaitMs),
                                 [&check] { return check->done; })) {
        const Checked result = check->result;
        lock.unlock();
        checked(serial, result);
        return;
    }
    check->late = true;
    lock.unlock();
    QTimer::singleShot(kCheckTimeoutMs, this, [this, serial] {
        checked(serial, Checked{{}, MediaFault{MediaFault::Kind::File, media_reason::kUnreachable}});
    });
}

void GstMedia::checked(quint64 serial, const Checked& result) {
    if (serial != nameSerial_ || opened_ || pendingUris_.isEmpty()) {
        return;  // another name was written, or the check of this one already answered
    }
    QList<QByteArray> uris;
    for (const int i : result.playable) {
        uris << pendingUris_.at(i);
        sequence_ << pendingNames_.at(i);
    }
    pendingUris_.clear();
    pendingNames_.clear();
    if (uris.isEmpty()) {
        fail(result.fault.value_or(MediaFault{MediaFault::Kind::File, media_reason::kMissing}));
        return;
    }
    streamStarts_ = 0;
    setFollowing(uris.mid(1));
    hand(uris.first());
}

void GstMedia::setFollowing(QList<QByteArray> uris) {
    std::lock_guard lock(followingMutex_);
    following_ = std::move(uris);
}

// playbin asks for the next file on its streaming thread while the last buffers of the one playing are
// still queued, so the next one follows on the same running stream with no gap.
void GstMedia::onAboutToFinish(GstElement* playbin, gpointer self) {
    auto* media = static_cast<GstMedia*>(self);
    std::lock_guard lock(media->followingMutex_);
    if (!media->following_.isEmpty()) {
        g_object_set(playbin, "uri", media->following_.takeFirst().constData(), nullptr);
    }
}

// The file reaches the pipeline, which then goes where the operator's calls meanwhile left it.
void GstMedia::hand(const QByteArray& uri) {
    g_object_set(pipeline_, "uri", uri.constData(), nullptr);
    opened_ = true;
    switch (phase_) {
        case Phase::Playing:
            start();
            break;
        case Phase::Paused:
        case Phase::Cued:
            changeState(GST_STATE_PAUSED);
            break;
        case Phase::Idle:
        case Phase::Ended:
        case Phase::Stopped:
        case Phase::Failed:
            break;
    }
}

// Every state change of an open file; nothing before its check has answered, since the pipeline
// still holds the name before it then. A change refused at once fails the file with the error the
// refusal raised.
bool GstMedia::changeState(GstState state) {
    if (!opened_) {
        return true;
    }
    if (gst_element_set_state(pipeline_, state) != GST_STATE_CHANGE_FAILURE) {
        return true;
    }
    // Refused without an error message: the output would not start.
    fail(takeNotedFault().value_or(MediaFault{MediaFault::Kind::Output, media_reason::kNoOutput}));
    return false;
}

void GstMedia::start() {
    phase_ = Phase::Playing;
    changeState(GST_STATE_PLAYING);
}

void GstMedia::halt() {
    outputHeld_ = false;
    seekTarget_.reset();
    knownDuration_ = 0.0;
    reportedDuration_ = 0.0;
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        ++generation_;
    }
    streamStarts_ = 0;
    setFollowing({});
}

void GstMedia::noteFault(const MediaFault& fault) {
    std::lock_guard lock(notedMutex_);
    notedFault_ = fault;
    notedGeneration_ = generation_.load();
}

std::optional<MediaFault> GstMedia::takeNotedFault() {
    std::lock_guard lock(notedMutex_);
    std::optional<MediaFault> fault;
    if (notedGeneration_ == generation_.load()) {
        fault = notedFault_;
    }
    notedFault_.reset();
    return fault;
}

void GstMedia::fail(const MediaFault& fault) {
    qCDebug(lcMedia) << "Nothing plays for" << fileName_ << ":" << fault.reason;
    const bool onlyCued = phase_ == Phase::Cued;
    halt();
    pendingSeek_.reset();
    if (onlyCued) {
        // A file opened ahead of its time says nothing yet and leaves the component idle: writing its
        // name opens it again and reports then, when the operator would have heard it.
        fileName_.clear();
        ++nameSerial_;
        opened_ = false;
        pendingUris_.clear();
        pendingNames_.clear();
        phase_ = Phase::Idle;
        return;
    }
    phase_ = Phase::Failed;
    if (failReported_) {
        return;
    }
    failReported_ = true;
    // Queued, and only for the name that failed: a caller that has moved on meanwhile (a new name, the
    // empty name) must not take this for the end of what it plays now.
    const quint64 serial = nameSerial_;
    const QString path = fileName_;
    QMetaObject::invokeMethod(
        this,
        [this, serial, path, fault] {
            if (serial == nameSerial_) {
                emit failed(path, fault);
            }
        },
        Qt::QueuedConnection);
}

void GstMedia::play() {
    switch (phase_) {
        case Phase::Paused:
        case Phase::Cued:
            phase_ = Phase::Playing;
            resumeOutput(0.0);
            changeState(GST_STATE_PLAYING);
            break;
        case Phase::Stopped:
            start();
            break;
        case Phase::Ended:
            if (seekNow(0.0)) {
                phase_ = Phase::Playing;
                changeState(GST_STATE_PLAYING);
            } else {
                // Some streams cannot seek; opening the file again starts it over all the same.
                halt();
                start();
            }
            break;
        case Phase::Idle:
        case Phase::Playing:
        case Phase::Failed:
            break;
    }
}

void GstMedia::pause() {
    if (phase_ == Phase::Playing) {
        phase_ = Phase::Paused;
        changeState(GST_STATE_PAUSED);
    }
}

// A cued file is already stopped at its start, and stays cued.
void GstMedia::stop() {
    if (phase_ == Phase::Playing || phase_ == Phase::Paused || phase_ == Phase::Ended) {
        halt();
        pendingSeek_.reset();
        phase_ = Phase::Stopped;
    }
}

double GstMedia::duration() const {
    if (!pipeline_ || phase_ == Phase::Idle || phase_ == Phase::Stopped || phase_ == Phase::Failed) {
        return 0.0;
    }
    // Some demuxers cannot answer while they settle after a seek or at the end; the length learnt
    // before stands for the open file meanwhile.
    gint64 nanoseconds = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &nanoseconds) && nanoseconds > 0) {
        knownDuration_ = toSeconds(nanoseconds);
    }
    return knownDuration_;
}

double GstMedia::position() const {
    if (pendingSeek_) {
        return *pendingSeek_;
    }
    // While a seek settles the pipeline cannot say where it is; the slider must not jump back to 0.
    if (seekTarget_) {
        return *seekTarget_;
    }
    if (!pipeline_ || phase_ == Phase::Idle || phase_ == Phase::Stopped || phase_ == Phase::Failed) {
        return 0.0;
    }
    gint64 nanoseconds = 0;
    return gst_element_query_position(pipeline_, GST_FORMAT_TIME, &nanoseconds) ? toSeconds(nanoseconds)
                                                                                : 0.0;
}

bool GstMedia::prerolled() const {
    GstState current = GST_STATE_VOID_PENDING;
    GstState pending = GST_STATE_VOID_PENDING;
    return gst_element_get_state(pipeline_, &current, &pending, 0) == GST_STATE_CHANGE_SUCCESS &&
           current >= GST_STATE_PAUSED;
}

void GstMedia::setPosition(double seconds) {
    seconds = std::max(seconds, 0.0);
    switch (phase_) {
        case Phase::Idle:
        case Phase::Failed:
            return;
        case Phase::Stopped:
            pendingSeek_ = seconds;
            return;
        case Phase::Ended:
            // Moved back from the end, the file waits there for play as a paused one would.
            phase_ = Phase::Paused;
            break;
        case Phase::Cued:
            phase_ = Phase::Paused;
            // Nothing flows to an output let go; the seek that opens it again goes straight there.
            if (resumeOutput(seconds)) {
                pendingSeek_.reset();
                return;
            }
            break;
        case Phase::Playing:
        case Phase::Paused:
            break;
    }
    // A file still opening cannot seek yet; the position waits for ASYNC_DONE, and a slider dragged
    // meanwhile leaves only its last position.
    if (prerolled()) {
        pendingSeek_.reset();
        seekNow(seconds);
    } else {
        pendingSeek_ = seconds;
    }
}

bool GstMedia::seekNow(double seconds) {
    ++segment_;
    const auto target = static_cast<gint64>(seconds * GST_SECOND);
    if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                                 GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), target)) {
        qCDebug(lcMedia) << "Cannot seek in" << fileName_;
        return false;
    }
    seekTarget_ = seconds;
    return true;
}

void GstMedia::setVolume(int hundredthsDb) {
    // Above 0 dB would clip, below -100 dB is silence already.
    volume_ = std::clamp(hundredthsDb, kSilentVolume, kFullVolume);
    applyVolume();
}

void GstMedia::applyVolume() {
    if (level_) {
        g_object_set(
            level_, "volume",
            gst_stream_volume_convert_volume(GST_STREAM_VOLUME_FORMAT_DB, GST_STREAM_VOLUME_FORMAT_LINEAR,
                                             volume_ / kHundredthsPerDb),
            nullptr);
    } else if (pipeline_) {
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(pipeline_), GST_STREAM_VOLUME_FORMAT_DB,
                                     volume_ / kHundredthsPerDb);
    }
}

void GstMedia::setBalance(int balance) {
    balance_ = std::clamp(balance, -kBalanceRange, kBalanceRange);
    applyBalance();
}

void GstMedia::applyBalance() {
    if (panorama_) {
        g_object_set(panorama_, "panorama", gfloat(balance_) / kBalanceRange, nullptr);
    }
}

void GstMedia::setMute(bool mute) {
    mute_ = mute;
    applyMute();
}

void GstMedia::applyMute() {
    if (GstElement* muting = level_ ? level_ : pipeline_) {
        g_object_set(muting, "mute", gboolean(mute_), nullptr);
    }
}

}  // namespace quel
