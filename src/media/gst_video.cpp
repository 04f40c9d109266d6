// The picture of video files: frames from an appsink, handed to the component's thread as images, so
// an ordinary widget paints them on X11, on Wayland and offscreen alike.

#include <gst/app/gstappsink.h>

#include "media/gst_media.h"
#include "media/media_log.h"

namespace quel {

void GstMedia::attachVideo() {
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
