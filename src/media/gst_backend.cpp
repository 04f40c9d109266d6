#include "media/gst_backend.h"

#include <gst/gst.h>

#include <QFile>
#include <mutex>

#include "platform/instance.h"
#include "platform/log.h"

namespace quel {

Q_LOGGING_CATEGORY(lcMedia, "quel.media", QtWarningMsg)

namespace {
constexpr char kRuntimeVariable[] = "XDG_RUNTIME_DIR";
}  // namespace

QString provideRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty(kRuntimeVariable)) {
        return qEnvironmentVariable(kRuntimeVariable);
    }
    const QString folder = privateRuntimeFolder(runtimeFolderCandidates(QString()));
    if (!folder.isEmpty()) {
        qputenv(kRuntimeVariable, QFile::encodeName(folder));
    }
    return folder;
}

bool initMedia(int* argc, char*** argv) {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [argc, argv] {
        provideRuntimeFolder();
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
