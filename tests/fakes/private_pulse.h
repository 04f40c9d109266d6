#pragma once

// A sound server of the test's own: PulseAudio on a socket in a temporary folder, with a silent
// output `speakers` (its monitor shows what would be heard) and two endless tones, `radio` (the
// default input) and `radio2`, standing in for receivers on line inputs.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace quel::fakes {

class PrivatePulse {
public:
    struct Stream {
        quint32 index = 0;
        quint32 module = 0;
        bool muted = false;
        QString mediaName;
        QString applicationName;
        QString source;  // quelbrook.source
    };

    PrivatePulse();
    ~PrivatePulse();
    PrivatePulse(const PrivatePulse&) = delete;
    PrivatePulse& operator=(const PrivatePulse&) = delete;

    // Whether the pulseaudio program is there to be started.
    static bool available();

    // Starts the server and waits until it answers. This process becomes its client: HOME and the
    // XDG folders point into the private folder (libpulse reads its client.conf and cookie there) and
    // PULSE_SERVER names the private socket, so nothing here reaches the machine's own server.
    bool start(QString* why = nullptr);
    void stop();
    QByteArray server() const;
    QString folder() const { return dir_.path(); }
    // What a program started by the test needs to be a client of this server only.
    void addClientEnvironment(QProcessEnvironment& environment) const;

    // Playback streams marked as the radio's, and loaded loopback modules.
    QList<Stream> radioStreams() const;
    QList<quint32> loopbackModules() const;
    void unloadLoopbacks() const;
    // The loudest sample on the speakers over `ms` milliseconds, 0 to 1; negative if nothing was
    // recorded.
    double peak(int ms) const;

private:
    QTemporaryDir dir_;
    QProcess process_;
};

}  // namespace quel::fakes
