#include "media/pipe_copy.h"

#include <cerrno>

#include "platform/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quel {

namespace {

constexpr qsizetype kFrameBytes = 4;  // 16 bits, two channels
// A quarter of a second of 48000:16:2: more than that waiting for a server that does not read is
// dropped, oldest first, so the buildings hear the present rather than a growing delay.
constexpr qsizetype kMaxPendingBytes = 48000 * kFrameBytes / 4;
// How much the copy's branch may hold before it drops, so the loudspeakers' branch never waits for it.
// The decoder runs ahead of the loudspeakers by as much as their queue holds (a second by default), and
// the copy, written in time, must hold as much or lose the sound decoded ahead.
constexpr guint64 kCopyQueueNs = 3 * GST_SECOND;

struct PipeWriter {
    QByteArray path;
    int fd = -1;
    QByteArray pending;

    ~PipeWriter() { closePipe(); }

    void closePipe() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        pending.clear();
    }

    bool openPipe() {
        // Opened for reading too, which on Linux never waits for the other end: a server's pipe source
        // reads, finds no writer, closes and looks again later, so a write-only open would rarely find
        // it there. Held open, the FIFO keeps the server reading; while no server runs, the pipe's own
        // buffer fills and what follows is dropped.
        fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) {
            // A regular file in its place would only grow.
            closePipe();
            return false;
        }
        return true;
    }

    void write(const char* data, qsizetype size) {
        if (fd < 0 && !openPipe())
            return;
        pending.append(data, size);
        if (pending.size() > kMaxPendingBytes) {
            // Whole frames, so what follows a partly written frame still completes a frame.
            const qsizetype excess = pending.size() - kMaxPendingBytes;
            pending.remove(0, (excess + kFrameBytes - 1) / kFrameBytes * kFrameBytes);
        }
        // Never EPIPE: this process holds a reading end itself. What would wait is left for the next write.
        const ssize_t written = ::write(fd, pending.constData(), size_t(pending.size()));
        if (written > 0)
            pending.remove(0, written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            closePipe();
    }
};

void onBuffer(GstElement*, GstBuffer* buffer, GstPad*, gpointer data) {
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        static_cast<PipeWriter*>(data)->write(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
        gst_buffer_unmap(buffer, &map);
    }
}

GstElement* make(const char* factory) {
    GstElement* e = gst_element_factory_make(factory, nullptr);
    if (!e)
        qCDebug(lcMedia) << "No" << factory << "element: the broadcast is not copied to the pipe";
    return e;
}

}  // namespace

GstElement* makePipeCopySink(GstElement* output, const QByteArray& fifoPath) {
    if (!output)
        output = make("autoaudiosink");
    GstElement* tee = make("tee");
    GstElement* toOutput = make("queue");
    GstElement* toCopy = make("queue");
    GstElement* convert = make("audioconvert");
    GstElement* resample = make("audioresample");
    GstElement* caps = make("capsfilter");
    GstElement* writerSink = make("fakesink");
    GstElement* parts[] = {tee, toOutput, toCopy, convert, resample, caps, writerSink};
    bool complete = output != nullptr;
    for (GstElement* e : parts)
        complete = complete && e;
    if (!complete) {
        for (GstElement* e : parts) {
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        }
        return output ? GST_ELEMENT(gst_object_ref_sink(output)) : nullptr;
    }
    g_object_set(toCopy, "leaky", 2 /* downstream: the oldest goes */, "max-size-time", kCopyQueueNs,
                 "max-size-buffers", 0u, "max-size-bytes", 0u, nullptr);
    GstCaps* pcm = gst_caps_from_string(kPipeCopyCaps);
    g_object_set(caps, "caps", pcm, nullptr);
    gst_caps_unref(pcm);
    // In time with the loudspeakers, and out of the pipeline's preroll, which a stalled write must
    // never hold.
    g_object_set(writerSink, "sync", TRUE, "async", FALSE, "signal-handoffs", TRUE, nullptr);
    auto* writer = new PipeWriter;
    writer->path = fifoPath;
    g_signal_connect_data(
        writerSink, "handoff", G_CALLBACK(onBuffer), writer,
        [](gpointer w, GClosure*) { delete static_cast<PipeWriter*>(w); }, GConnectFlags(0));

    GstElement* bin = gst_bin_new("pipecopy");
    gst_bin_add_many(GST_BIN(bin), tee, toOutput, output, toCopy, convert, resample, caps, writerSink,
                     nullptr);
    const bool linked = gst_element_link_many(tee, toOutput, output, nullptr) &&
                        gst_element_link_many(tee, toCopy, convert, resample, caps, writerSink, nullptr);
    GstPad* teeSink = gst_element_get_static_pad(tee, "sink");
    const bool ghosted = gst_element_add_pad(bin, gst_ghost_pad_new("sink", teeSink));
    gst_object_unref(teeSink);
    if (!linked || !ghosted) {
        qCDebug(lcMedia) << "The copy to" << fifoPath << "could not be linked";
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    return GST_ELEMENT(gst_object_ref_sink(bin));
}

}  // namespace quel
