#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/files.h"

namespace quel {

XdgAutostart::XdgAutostart(QString configHome) : configHome_(std::move(configHome)) {}

QString XdgAutostart::entryPath() const {
    QString home = configHome_;
    if (home.isEmpty())
        home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/autostart/" QUELBROOK_APP_ID ".desktop");
}

namespace {
// Exec= takes a quoted argument with its own escapes, as the desktop entry format defines them.
QString execQuoted(const QString& path) {
    QString out = path;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    out.replace(QLatin1Char('`'), QStringLiteral("\\`"));
    out.replace(QLatin1Char('$'), QStringLiteral("\\$"));
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + out + QLatin1Char('"');
}
}  // namespace

bool XdgAutostart::enable(const QString& executable) {
    const QString path = entryPath();
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Quelbrook\n"
                              "Comment=打铃与广播定时\n"
                              "Icon=" QUELBROOK_APP_ID
                              "\n"
                              "Exec=%1\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(execQuoted(executable));
    DiskFiles files;
    return files.write(path, entry.toUtf8());
}

bool XdgAutostart::disable() {
    QFile file(entryPath());
    return !file.exists() || file.remove();
}

}  // namespace quel
