#pragma once

#include <gst/gst.h>

#include <QByteArray>
#include <optional>

#include "platform/media.h"

namespace quel {

// Whose fault a GStreamer error is. Anything raised inside the output half of playbin (its playsink:
// the converters, the sink, a missing element there) is the output's; a resource or stream error of
// the reading half is the file's. What fits neither still counts as the file's, so that a list goes on
// to its next file rather than stopping on a doubt.
MediaFault classifyError(GstMessage* error);

// Whether a local file may be handed to GStreamer: a regular file that opens for reading. Checked with
// a non-blocking open, so a FIFO, a device or a folder is refused without waiting on it; the caller
// still runs it away from the GUI thread, since a stalled network share blocks even that open.
// nullopt when it may be handed on.
std::optional<MediaFault> checkLocalFile(const QByteArray& localPath);

}  // namespace quel
