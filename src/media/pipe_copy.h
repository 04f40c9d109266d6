#pragma once

#include <gst/gst.h>

#include <QByteArray>

namespace quel {

// The raw PCM a Snapcast server's pipe source reads by default.
inline constexpr char kPipeCopyCaps[] = "audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved";

// An output that plays on `output` (taken over; nullptr: the automatic one) and also writes the same
// sound, as kPipeCopyCaps, into the FIFO at `fifoPath`, so a Snapcast server sends it to the other
// buildings. The copy never holds the loudspeakers up: the FIFO is opened and written without
// blocking, what a server that does not read would hold up is dropped, a FIFO that is not there yet
// is looked for again at each write, and nothing but a FIFO is ever written. Returns a reference the
// caller owns; when the copy cannot be built, `output` alone, or nullptr for the automatic output.
GstElement* makePipeCopySink(GstElement* output, const QByteArray& fifoPath);

}  // namespace quel
