#include "media/gst_backend.h"

#include <gst/gst.h>

#include <QFile>
#include <algorithm>
#include <mutex>

#include "platform/instance.h"
#include "platform/log.h"

namespace quel {

Q_LOGGING_CATEGORY(lcMedia, "quel.media", QtWarningMsg)

namespace {

constexpr char kRuntimeVariable[] = "XDG_RUNTIME_DIR";
constexpr char kRankVariable[] = "GST_PLUGIN_FEATURE_RANK";

// MP3, the commonest bell, decodes through libmpg123. Left to the equal ranks Debian gives the MP3
// decoders, GStreamer picks libav's by its name, and its first use loads the whole of FFmpeg with all it
// links (some 170 libraries, about 35 MB resident) for the rest of the run. Ranks the operator set in
// the environment stand.
void preferSmallDecoders() {
    if (qEnvironmentVariableIsSet(kRankVariable)) {
        return;
    }
    if (GstPluginFeature* mp3 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec")) {
        gst_plugin_feature_set_rank(mp3, std::max<guint>(gst_plugin_feature_get_rank(mp3), GST_RANK_PRIMARY));
        gst_object_unref(mp3);
    }
}

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
            return;
        }
        preferSmallDecoders();
    });
    return ready;
}

}  // namespace quel
