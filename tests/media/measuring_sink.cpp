#include "measuring_sink.h"

#include <gst/app/gstappsink.h>

#include <QtGlobal>
#include <chrono>
#include <cmath>

namespace quel::testing {

namespace {

constexpr char kCaps[] = "audio/x-raw,format=F32LE,layout=interleaved,channels=2";
constexpr int kChannels = 2;
constexpr char kOwnerKey[] = "quel-measuring-sink";

// A bin that learns of its sink's end only after the end went on up: by the time it tells, the
// pipeline above has posted its own end to the bus.
struct EndWatchBin {
    GstBin parent;
};
struct EndWatchBinClass {
    GstBinClass parent_class;
};
// GLib's type macro casts its functions C-style in our own lines.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
G_DEFINE_TYPE(EndWatchBin, end_watch_bin, GST_TYPE_BIN)
#pragma GCC diagnostic pop

void end_watch_bin_handle_message(GstBin* bin, GstMessage* message) {
    const bool end = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    GST_BIN_CLASS(end_watch_bin_parent_class)->handle_message(bin, message);
    if (end) {
        MeasuringSink::notifyEnd(g_object_get_data(G_OBJECT(bin), kOwnerKey));
    }
}

void end_watch_bin_class_init(EndWatchBinClass* klass) {
    GST_BIN_CLASS(klass)->handle_message = end_watch_bin_handle_message;
}

void end_watch_bin_init(EndWatchBin*) {}

}  // namespace

MeasuringSink::MeasuringSink() {
    bin_ = GST_ELEMENT(gst_object_ref_sink(g_object_new(end_watch_bin_get_type(), nullptr)));
    g_object_set_data(G_OBJECT(bin_), kOwnerKey, this);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    appsink_ = GST_ELEMENT(gst_object_ref(gst_element_factory_make("appsink", nullptr)));
    Q_ASSERT(convert && filter && appsink_);
    GstCaps* caps = gst_caps_from_string(kCaps);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    g_object_set(appsink_, "sync", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(bin_), convert, filter, appsink_, nullptr);
    gst_element_link_many(convert, filter, appsink_, nullptr);
    GstPad* input = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin_, gst_ghost_pad_new("sink", input));
    gst_object_unref(input);

    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = [](GstAppSink* sink, gpointer self) { return onSample(GST_ELEMENT(sink), self); };
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink_), &callbacks, this, nullptr);
}

MeasuringSink::~MeasuringSink() {
    gst_object_unref(appsink_);
    gst_object_unref(bin_);
}

GstElement* MeasuringSink::element() const {
    return GST_ELEMENT(gst_object_ref(bin_));
}

GstFlowReturn MeasuringSink::onSample(GstElement* appsink, gpointer self) {
    auto* sink = static_cast<MeasuringSink*>(self);
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(appsink));
    if (!sample) {
        return GST_FLOW_OK;
    }
    GstMapInfo map;
    if (gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ)) {
        const auto* samples = reinterpret_cast<const float*>(map.data);
        const qint64 frames = qint64(map.size / sizeof(float) / kChannels);
        std::lock_guard lock(sink->mutex_);
        for (qint64 i = 0; i < frames; ++i) {
            for (int c = 0; c < kChannels; ++c) {
                sink->peak_[c] = std::max(sink->peak_[c], std::fabs(samples[i * kChannels + c]));
            }
        }
        sink->frames_ += frames;
        gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

void MeasuringSink::notifyEnd(gpointer self) {
    auto* sink = static_cast<MeasuringSink*>(self);
    std::lock_guard lock(sink->mutex_);
    sink->end_ = true;
    sink->ended_.notify_all();
}

void MeasuringSink::setRealTime(bool realTime) {
    g_object_set(appsink_, "sync", gboolean(realTime), nullptr);
}

bool MeasuringSink::waitForEnd(int milliseconds) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return end_; });
}

float MeasuringSink::peak(int channel) const {
    std::lock_guard lock(mutex_);
    return peak_[channel];
}

qint64 MeasuringSink::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

}  // namespace quel::testing
