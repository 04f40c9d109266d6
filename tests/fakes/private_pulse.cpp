#include "fakes/private_pulse.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quel::fakes {

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kReplyTimeoutMs = 5000;
constexpr int kRate = 44100;

// A blocking client for the checks: every call waits for its answer, or gives up after a while.
class Session {
public:
    explicit Session(const QByteArray& server)
        : loop_(pa_mainloop_new()), context_(pa_context_new(pa_mainloop_get_api(loop_), "quelbrook-test")) {
        if (pa_context_connect(context_, server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        QDeadlineTimer deadline(kReplyTimeoutMs);
        while (!deadline.hasExpired()) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
                break;
            iterate();
        }
    }
    ~Session() {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_mainloop_free(loop_);
    }
    bool ready() const { return pa_context_get_state(context_) == PA_CONTEXT_READY; }
    pa_context* context() const { return context_; }

    void wait(pa_operation* operation) {
        if (!operation)
            return;
        QDeadlineTimer deadline(kReplyTimeoutMs);
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING && !deadline.hasExpired())
            iterate();
        pa_operation_unref(operation);
    }

private:
    void iterate() {
        constexpr pa_usec_t kSliceUs = 50000;
        pa_mainloop_prepare(loop_, kSliceUs);
        pa_mainloop_poll(loop_);
        pa_mainloop_dispatch(loop_);
    }
    pa_mainloop* loop_;
    pa_context* context_;
};

QString text(const pa_proplist* properties, const char* key) {
    const char* value = pa_proplist_gets(properties, key);
    return value ? QString::fromUtf8(value) : QString();
}

}  // namespace

PrivatePulse::PrivatePulse() : dir_(QDir::tempPath() + QStringLiteral("/quelpulse-XXXXXX")) {}

PrivatePulse::~PrivatePulse() {
    stop();
}

bool PrivatePulse::available() {
    return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty();
}

QByteArray PrivatePulse::server() const {
    return "unix:" + QFile::encodeName(dir_.filePath(QStringLiteral("native")));
}

void PrivatePulse::addClientEnvironment(QProcessEnvironment& environment) const {
    environment.insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(server()));
    environment.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("home/.config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
}

bool PrivatePulse::start(QString* why) {
    auto fail = [&](const QString& reason) {
        if (why)
            *why = reason;
        stop();
        return false;
    };
    const QDir dir(dir_.path());
    dir.mkpath(QStringLiteral("home/.config"));
    dir.mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile script(dir.filePath(QStringLiteral("test.pa")));
    if (!script.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write test.pa"));
    script.write("load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                 QFile::encodeName(dir.filePath(QStringLiteral("native"))) +
                 "\n"
                 "load-module module-null-sink sink_name=speakers\n"
                 "load-module module-sine-source source_name=radio\n"
                 "load-module module-sine-source source_name=radio2 frequency=880\n"
                 "set-default-sink speakers\n"
                 "set-default-source radio\n");
    script.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("PULSE_SERVER"));
    addClientEnvironment(environment);
    // The server would register on the session bus; give it a bus that is not there.
    const QString noBus = QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), noBus);
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), noBus);
    process_.setProcessEnvironment(environment);
    process_.setStandardOutputFile(dir.filePath(QStringLiteral("pulseaudio.log")), QIODevice::Append);
    process_.setStandardErrorFile(dir.filePath(QStringLiteral("pulseaudio.log")), QIODevice::Append);
    process_.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("-F"), script.fileName(),
                    QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                    QStringLiteral("--realtime=no"), QStringLiteral("--log-target=stderr")});
    if (!process_.waitForStarted(kStartTimeoutMs))
        return fail(QStringLiteral("pulseaudio did not start: ") + process_.errorString());

    QProcessEnvironment self;
    addClientEnvironment(self);
    for (const QString& key : self.keys())
        qputenv(key.toUtf8().constData(), self.value(key).toUtf8());

    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (process_.state() != QProcess::Running)
            break;
        if (Session(server()).ready())
            return true;
        QThread::msleep(50);
    }
    QFile log(dir.filePath(QStringLiteral("pulseaudio.log")));
    log.open(QIODevice::ReadOnly);
    return fail(QStringLiteral("pulseaudio did not answer:\n") + QString::fromLocal8Bit(log.readAll()));
}

void PrivatePulse::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kReplyTimeoutMs)) {
        process_.kill();
        process_.waitForFinished(kReplyTimeoutMs);
    }
}

QList<PrivatePulse::Stream> PrivatePulse::radioStreams() const {
    QList<Stream> streams;
    Session session(server());
    if (!session.ready())
        return streams;
    auto collect = [](pa_context*, const pa_sink_input_info* info, int, void* data) {
        if (!info || text(info->proplist, "quelbrook.role") != QLatin1String("radio"))
            return;
        static_cast<QList<Stream>*>(data)->append(
            {info->index, info->owner_module, info->mute != 0, text(info->proplist, PA_PROP_MEDIA_NAME),
             text(info->proplist, PA_PROP_APPLICATION_NAME), text(info->proplist, "quelbrook.source")});
    };
    session.wait(pa_context_get_sink_input_info_list(session.context(), collect, &streams));
    return streams;
}

QList<quint32> PrivatePulse::loopbackModules() const {
    QList<quint32> modules;
    Session session(server());
    if (!session.ready())
        return modules;
    auto collect = [](pa_context*, const pa_module_info* info, int, void* data) {
        if (info && qstrcmp(info->name, "module-loopback") == 0)
            static_cast<QList<quint32>*>(data)->append(info->index);
    };
    session.wait(pa_context_get_module_info_list(session.context(), collect, &modules));
    return modules;
}

void PrivatePulse::unloadLoopbacks() const {
    const QList<quint32> modules = loopbackModules();
    Session session(server());
    for (const quint32 module : modules)
        session.wait(pa_context_unload_module(session.context(), module, nullptr, nullptr));
}

double PrivatePulse::peak(int ms) const {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
    // Small fragments, so the samples read are those of the moment asked about.
    const std::uint32_t fragment = kRate / 50 * sizeof(float);
    const pa_buffer_attr attributes{std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1),
                                    std::uint32_t(-1), fragment};
    int error = 0;
    pa_simple* recorder = pa_simple_new(server().constData(), "quelbrook-test", PA_STREAM_RECORD,
                                        "speakers.monitor", "level", &format, nullptr, &attributes, &error);
    if (!recorder)
        return -1;
    std::vector<float> samples(std::size_t(kRate) * ms / 1000);
    const bool read = pa_simple_read(recorder, samples.data(), samples.size() * sizeof(float), &error) == 0;
    pa_simple_free(recorder);
    if (!read || samples.empty())
        return -1;
    double loudest = 0;
    for (const float sample : samples)
        loudest = std::max(loudest, double(std::fabs(sample)));
    return loudest;
}

}  // namespace quel::fakes
