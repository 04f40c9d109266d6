// The picture of video files. Given a native window of an X11 display, a video sink draws into it
// directly: each frame goes to the display once, instead of being copied into an image, queued to the
// GUI thread and painted again through Qt (which, without shared memory, sends it to the display a
// second time). Without one (Wayland, offscreen, no X sink installed) frames come from an appsink,
// handed to the component's thread as images that an ordinary widget paints.

#include <gst/app/gstappsink.h>
#include <gst/video/videooverlay.h>

#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/log.h"

namespace quel {

namespace {

constexpr const char* kXvSink = "xvimagesink";
constexpr const char* kXSink = "ximagesink";

bool hasElement(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory) {
        return false;
    }
    gst_object_unref(factory);
    return true;
}

// xvimagesink lets the display scale the picture, but it opens only where the display has an Xv
// adaptor (a virtual display has none, nor have some drivers); opening it once tells, and the display
// does not change under a running program.
bool xvWorks() {
    static const bool works = [] {
        GstElement* probe = hasElement(kXvSink) ? gst_element_factory_make(kXvSink, nullptr) : nullptr;
        if (!probe) {
            return false;
        }
        gst_object_ref_sink(probe);
        const bool opened = gst_element_set_state(probe, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
        gst_element_set_state(probe, GST_STATE_NULL);
        gst_object_unref(probe);
        qCDebug(lcMedia) << (opened ? "Video drawn through Xv" : "No Xv on this display: plain X images");
        return opened;
    }();
    return works;
}

GstElement* currentVideoSink(GstElement* pipeline) {
    GstElement* sink = nullptr;
    g_object_get(pipeline, "video-sink", &sink, nullptr);
    return sink;
}

}  // namespace

bool GstMedia::setVideoWindow(quintptr window) {
    if (window && (!initMedia() || (!hasElement(kXvSink) && !hasElement(kXSink)))) {
        qCDebug(lcMedia) << "No X11 video sink: the picture comes as images";
        window = 0;
    }
    const bool drawn = window != 0;
    if (!pipeline_ || !video_) {
        videoWindow_ = window;
        return drawn;
    }
    GstElement* sink = currentVideoSink(pipeline_);
    const bool overlay = sink && GST_IS_VIDEO_OVERLAY(sink);
    if (overlay && window) {
        // Moved to another window: a paused picture shows there at once.
        auto* videoOverlay = GST_VIDEO_OVERLAY(sink);
        gst_video_overlay_set_window_handle(videoOverlay, window);
        gst_video_overlay_expose(videoOverlay);
    }
    if (sink) {
        gst_object_unref(sink);
    }
    const bool replace = overlay != drawn;
    videoWindow_ = window;
    if (replace) {
        replaceVideoSink();
    }
    return drawn;
}

// playbin takes another video sink only at NULL. Every streaming thread is joined there, so a window
// taken back is never drawn into again; the file then goes on from where it was.
void GstMedia::replaceVideoSink() {
    const bool running = opened_ && (phase_ == Phase::Playing || phase_ == Phase::Paused ||
                                     phase_ == Phase::Cued || phase_ == Phase::Ended);
    const double at = running && phase_ != Phase::Ended ? position() : 0.0;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    ++generation_;
    seekTarget_.reset();
    attachVideo();
    if (!running) {
        return;
    }
    if (at > 0.0) {
        pendingSeek_ = at;
    }
    changeState(phase_ == Phase::Playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

bool GstMedia::attachWindowSink() {
    GstElement* sink = gst_element_factory_make(xvWorks() ? kXvSink : kXSink, nullptr);
    if (!sink) {
        return false;
    }
    // ximagesink stretches to the window unless told otherwise; the sink also watches the window's
    // exposures and size itself, so an uncovered or resized window gets its picture back when paused.
    g_object_set(sink, "force-aspect-ratio", TRUE, "handle-events", TRUE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), videoWindow_);
    if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &GstMedia::onWindowFrame, this, nullptr);
        gst_object_unref(pad);
    }
    g_object_set(pipeline_, "video-sink", sink, nullptr);
    return true;
}

// On the video streaming thread, before the sink draws each frame; only the first of a file tells.
GstPadProbeReturn GstMedia::onWindowFrame(GstPad*, GstPadProbeInfo*, gpointer self) {
    auto* media = static_cast<GstMedia*>(self);
    const quint64 generation = media->generation_.load();
    if (media->drawnGeneration_.exchange(generation) != generation) {
        QMetaObject::invokeMethod(
            media,
            [media, generation] {
                if (generation == media->generation_.load() && !media->fileName_.isEmpty()) {
                    emit media->videoDrawn();
                }
            },
            Qt::QueuedConnection);
    }
    return GST_PAD_PROBE_OK;
}

void GstMedia::attachVideo() {
    if (videoWindow_ && attachWindowSink()) {
        return;
    }
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!sink) {
        qCDebug(lcMedia) << "No appsink element: video plays without its picture";
        return;
    }
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    // One frame waits at most: a slow painter drops frames instead of holding up the sound.
    g_object_set(sink, "caps", caps, "max-buffers", 1u, "drop", TRUE, "sync", TRUE, "emit-signals", TRUE,
                 nullptr);
    gst_caps_unref(caps);
    g_signal_connect(sink, "new-sample", G_CALLBACK(&GstMedia::onVideoSample), this);
    g_object_set(pipeline_, "video-sink", sink, nullptr);
}

// On a GStreamer streaming thread. The pipeline goes to NULL, joining this thread, before the
// component is destroyed; a frame already on its way is dropped with the component's posted events,
// and one of a file since replaced is dropped by its generation.
GstFlowReturn GstMedia::onVideoSample(GstElement* sink, gpointer self) {
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
    if (!sample) {
        return GST_FLOW_EOS;
    }
    // BGRx rows are four bytes a pixel with nothing between them, which is also QImage's RGB32.
    GstCaps* caps = gst_sample_get_caps(sample);
    const GstStructure* format = caps ? gst_caps_get_structure(caps, 0) : nullptr;
    int width = 0;
    int height = 0;
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (format && gst_structure_get_int(format, "width", &width) &&
        gst_structure_get_int(format, "height", &height) && buffer &&
        gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        QImage frame;
        if (width > 0 && height > 0 && map.size >= gsize(width) * gsize(height) * 4) {
            frame = QImage(map.data, width, height, width * 4, QImage::Format_RGB32).copy();
        }
        gst_buffer_unmap(buffer, &map);
        if (frame.isNull()) {
            gst_sample_unref(sample);
            return GST_FLOW_OK;
        }
        auto* media = static_cast<GstMedia*>(self);
        const quint64 generation = media->generation_.load();
        QMetaObject::invokeMethod(
            media,
            [media, frame, generation] {
                if (generation == media->generation_.load() && !media->fileName_.isEmpty()) {
                    emit media->frameShown(frame);
                }
            },
            Qt::QueuedConnection);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

}  // namespace quel
