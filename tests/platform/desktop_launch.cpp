// Apart from the Qt tests, and GLib first: Qt's keyword macros would replace names in its headers.
#include <gio/gdesktopappinfo.h>

#include <QFile>

#include "desktop_launch.h"

QString launchDesktopEntry(const QString& path) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info)
        return QStringLiteral("GLib refused the entry");
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    QString reason;
    if (!launched)
        reason = error ? QString::fromUtf8(error->message) : QStringLiteral("not launched");
    g_clear_error(&error);
    g_object_unref(info);
    return reason;
}
