#pragma once

#include <QString>

// Starts a desktop entry the way a desktop session does, through GLib. Empty on success, else GLib's
// reason.
QString launchDesktopEntry(const QString& path);
