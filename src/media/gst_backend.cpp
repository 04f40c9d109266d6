#include "media/gst_backend.h"

#include <gst/gst.h>

#include <mutex>

#include "media/media_log.h"

namespace quel {

Q_LOGGING_CATEGORY(lcMedia, "quel.media", QtWarningMsg)

bool initMedia(int* argc, char*** argv) {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [argc, argv] {
        GError* error = nullptr;
        ready = gst_init_check(argc, argv, &error);
        if (!ready) {
            // Without GStreamer every sound is silent; the schedule itself must still run.
            qCDebug(lcMedia) << "GStreamer did not start:" << (error ? error->message : "");
            g_clear_error(&error);
        }
    });
    return ready;
}

}  // namespace quel
