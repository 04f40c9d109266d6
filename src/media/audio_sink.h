#pragma once

#include <gst/gst.h>

#include <QByteArray>

namespace quel {

// Names the audio output: an element factory ("fakeaudiosink", "pulsesink") or, when it holds a space
// or "!", a chain of elements ("audioconvert ! appsink"). Unset means the automatic choice.
inline constexpr char kAudioSinkVariable[] = "QUELBROOK_AUDIO_SINK";

// Builds the output a setting names. Returns a reference the caller owns, or nullptr for an empty
// setting and for one that names nothing usable, so that playback falls back to the automatic choice
// instead of going silent.
GstElement* makeAudioSink(const QByteArray& setting);

}  // namespace quel
