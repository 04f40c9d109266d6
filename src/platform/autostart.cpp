#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/files.h"

namespace quel {

XdgAutostart::XdgAutostart(QString configHome, QString programHome)
    : configHome_(std::move(configHome)), programHome_(std::move(programHome)) {}

QString XdgAutostart::entryPath() const {
    QString home = configHome_;
    if (home.isEmpty())
        home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/autostart/" QUELBROOK_APP_ID ".desktop");
}

namespace {
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#`");
const QString kEscapedInQuotes = QStringLiteral("\"`$\\");

QString execArgument(const QString& argument) {
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || kReserved.contains(c);
    if (!quote)
        return argument;
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (kEscapedInQuotes.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

// A string value of a key file, with the key file's own escapes.
QString keyFileString(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    value.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return value;
}

}  // namespace

QString desktopExecValue(const QStringList& arguments) {
    QStringList quoted;
    for (const QString& argument : arguments)
        quoted << execArgument(argument);
    // The key file reads its own escapes before the quoting is undone, so every backslash of the
    // quoting is doubled once more.
    QString value = keyFileString(quoted.join(QLatin1Char(' ')));
    // A lone % would start a field code.
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return value;
}

bool XdgAutostart::enable(const QString& executable) {
    QStringList command;
    if (!programHome_.isEmpty())
        command << QStringLiteral("env") << QStringLiteral("QUELBROOK_HOME=") + programHome_;
    command << executable;
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
                              // Once the program is removed, sessions skip the entry instead of failing it.
                              "TryExec=%2\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(desktopExecValue(command), keyFileString(executable));
    DiskFiles files;
    return files.write(path, entry.toUtf8());
}

bool XdgAutostart::disable() {
    QFile file(entryPath());
    return !file.exists() || file.remove();
}

}  // namespace quel
