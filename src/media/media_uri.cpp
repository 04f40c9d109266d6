#include "media/media_uri.h"

#include <gst/gst.h>

#include <QFile>

namespace quel {

QByteArray mediaUri(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    // A bare "C:" would pass as a URI scheme, so only text with "://" counts as a URI.
    if (path.contains(QLatin1String("://")) && gst_uri_is_valid(local.constData())) {
        return local;
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(local.constData(), &error);
    g_clear_error(&error);
    if (!uri) {
        return {};
    }
    QByteArray result(uri);
    g_free(uri);
    return result;
}

}  // namespace quel
