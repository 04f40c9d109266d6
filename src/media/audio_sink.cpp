#include "media/audio_sink.h"

#include "media/media_log.h"

namespace quel {

namespace {

bool isChain(const QByteArray& setting) {
    return setting.contains(' ') || setting.contains('!');
}

}  // namespace

GstElement* makeAudioSink(const QByteArray& setting) {
    const QByteArray trimmed = setting.trimmed();
    if (trimmed.isEmpty()) {
        return nullptr;
    }
    GstElement* sink = nullptr;
    if (isChain(trimmed)) {
        GError* error = nullptr;
        sink = gst_parse_bin_from_description(trimmed.constData(), TRUE, &error);
        if (error) {
            // A partly built chain would swallow the sound; the automatic output is better.
            qCDebug(lcMedia) << "Audio output" << trimmed << "unusable:" << error->message;
            g_clear_error(&error);
            if (sink) {
                gst_object_unref(gst_object_ref_sink(sink));
                sink = nullptr;
            }
        }
    } else {
        sink = gst_element_factory_make(trimmed.constData(), nullptr);
        if (!sink) {
            qCDebug(lcMedia) << "No audio output element named" << trimmed;
        }
    }
    return sink ? GST_ELEMENT(gst_object_ref_sink(sink)) : nullptr;
}

}  // namespace quel
