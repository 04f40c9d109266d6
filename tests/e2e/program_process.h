#pragma once

// One run of the real quelbrook on a program folder, as a person would start it. Private XDG folders
// keep it away from the user's autostart entries, and the service addresses away from the machine's
// buses and sound server; the window is offscreen and sound goes nowhere.

#include <QDir>
#include <QFile>
#include <QProcess>

class Program {
public:
    explicit Program(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUELBROOK_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUELBROOK_AUDIO_SINK", "fakeaudiosink");
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_RUNTIME_DIR", home + "/.run");
        env.insert("XDG_DATA_HOME", home + "/.data");
        // The machine's buses and sound server stay out of reach, also when run outside CTest.
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quelbrook-test/system_bus_socket");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quelbrook-test/session_bus_socket");
        env.insert("PULSE_SERVER", "unix:/nonexistent/quelbrook-test/pulse/native");
        QDir().mkpath(home + "/.run");
        QFile::setPermissions(home + "/.run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
