#pragma once

#include <QString>

namespace quel {

// Starts GStreamer once per process; later calls only report how the first one went. The program's
// main may call it early (GStreamer then also takes its own --gst-* options from the command line);
// every media component calls it before it builds its first pipeline, so a program that never plays
// a sound never pays for loading the plug-in registry.
bool initMedia(int* argc = nullptr, char*** argv = nullptr);

// Started from cron or ssh, the process may have no XDG_RUNTIME_DIR; GStreamer's code generator (ORC)
// then keeps its generated code in a file under the home folder, and a full home disk kills the
// program with SIGBUS at the first sound. When the variable is unset this points it at the private
// runtime folder the single-instance socket uses; initMedia calls it before GStreamer starts. Returns
// the folder now named, empty when none could be had.
QString provideRuntimeFolder();

}  // namespace quel
