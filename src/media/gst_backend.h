#pragma once

namespace quel {

// Starts GStreamer once per process; later calls only report how the first one went. The program's
// main may call it early (GStreamer then also takes its own --gst-* options from the command line);
// every media component calls it before it builds its first pipeline, so a program that never plays
// a sound never pays for loading the plug-in registry.
bool initMedia(int* argc = nullptr, char*** argv = nullptr);

}  // namespace quel
