#pragma once

#include <gst/gst.h>

#include <QtGlobal>
#include <array>
#include <condition_variable>
#include <mutex>

namespace quel::testing {

// An audio output for tests: takes stereo floats as fast as they are decoded (no clock), keeps the
// loudest sample of each side, and tells another thread when the pipeline has posted the end of the
// stream, without any Qt event.
class MeasuringSink {
public:
    MeasuringSink();
    ~MeasuringSink();
    MeasuringSink(const MeasuringSink&) = delete;
    MeasuringSink& operator=(const MeasuringSink&) = delete;

    // A reference to the output for a media component to take over; the sink must outlive it.
    GstElement* element() const;

    // Takes samples at the pace of the clock, as a sound card does, instead of as fast as they come.
    void setRealTime(bool realTime);

    // Blocks the calling thread until the pipeline has posted the stream's end or the time ran out.
    bool waitForEnd(int milliseconds);
    float peak(int channel) const;
    qint64 frames() const;

    static void notifyEnd(gpointer self);

private:
    static GstFlowReturn onSample(GstElement* appsink, gpointer self);

    GstElement* bin_ = nullptr;
    GstElement* appsink_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool end_ = false;
    std::array<float, 2> peak_{};
    qint64 frames_ = 0;
};

}  // namespace quel::testing
