#include "media/media_fault.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quel {

namespace {

MediaFault fileFault(const QString& reason) {
    return {MediaFault::Kind::File, reason};
}

// playbin's output half, or a sink or a bin holding one: playbin tries the audio output on its own
// before it joins the output half, so a device that will not open fails outside it.
bool inOutputHalf(GstObject* source) {
    GstObject* object = source ? GST_OBJECT(gst_object_ref(source)) : nullptr;
    while (object) {
        const bool sink = GST_IS_ELEMENT(object) && GST_OBJECT_FLAG_IS_SET(object, GST_ELEMENT_FLAG_SINK) &&
                          !GST_IS_PIPELINE(object);
        if (sink || g_strcmp0(G_OBJECT_TYPE_NAME(object), "GstPlaySink") == 0) {
            gst_object_unref(object);
            return true;
        }
        GstObject* parent = gst_object_get_parent(object);
        gst_object_unref(object);
        object = parent;
    }
    return false;
}

MediaFault resourceFault(int code) {
    switch (code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return fileFault(media_reason::kMissing);
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_SEEK:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return fileFault(media_reason::kUnreadable);
        default:
            return fileFault(media_reason::kUndecodable);
    }
}

}  // namespace

MediaFault classifyError(GstMessage* error) {
    GError* details = nullptr;
    gst_message_parse_error(error, &details, nullptr);
    const GQuark domain = details ? details->domain : 0;
    const int code = details ? details->code : 0;
    g_clear_error(&details);

    if (inOutputHalf(GST_MESSAGE_SRC(error))) {
        return {MediaFault::Kind::Output, media_reason::kNoOutput};
    }
    if (domain == GST_RESOURCE_ERROR) {
        return resourceFault(code);
    }
    if (domain == GST_STREAM_ERROR && code == GST_STREAM_ERROR_CODEC_NOT_FOUND) {
        // One format the machine cannot decode; the other files of a list may still play.
        return fileFault(media_reason::kNoDecoder);
    }
    if (domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return fileFault(media_reason::kNoDecoder);
    }
    return fileFault(media_reason::kUndecodable);
}

std::optional<MediaFault> checkLocalFile(const QByteArray& localPath) {
    const int fd = ::open(localPath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // A dangling link reads as a missing file, which is what it is to the operator.
        return fileFault(errno == ENOENT || errno == ENOTDIR ? media_reason::kMissing
                                                             : media_reason::kUnreadable);
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!regular) {
        return fileFault(media_reason::kNotAFile);
    }
    return std::nullopt;
}

}  // namespace quel
