#pragma once

// The real quelbrook, started as a person would, with QUELBROOK_HOME on a temporary folder, private XDG
// folders that keep it away from the user's autostart entries, and the service addresses away from the
// machine's buses and sound server unless a test hands in its own. Stopped by its own process id.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include "fakes/file_bytes.h"

namespace quel::e2e {

using quel::testing::quoted;

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class Program {
public:
    // `extra` is added to the environment last; `channels` MergedChannels/SeparateChannels let a test read
    // what the program writes.
    explicit Program(const QString& home, const QProcessEnvironment& extra = QProcessEnvironment(),
                     QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUELBROOK_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUELBROOK_AUDIO_SINK", "fakeaudiosink");
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_RUNTIME_DIR", home + "/.run");
        env.insert("XDG_DATA_HOME", home + "/.data");
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quelbrook-test/system_bus_socket");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quelbrook-test/session_bus_socket");
        env.insert("PULSE_SERVER", "unix:/nonexistent/quelbrook-test/pulse/native");
        for (const QString& key : extra.keys())
            env.insert(key, extra.value(key));
        QDir().mkpath(home + "/.run");
        QFile::setPermissions(home + "/.run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(channels);
        process.start(QStringLiteral(QUELBROOK_EXE), {});
    }
    ~Program() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
    QProcess process;
};

}  // namespace quel::e2e
