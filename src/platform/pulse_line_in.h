#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>

#include "platform/line_in.h"

struct pa_context;
struct pa_glib_mainloop;
struct pa_server_info;
struct pa_sink_input_info;
struct pa_source_info;

namespace quel {

// The radio as a loopback stream of the sound server (PulseAudio, or PipeWire's PulseAudio service)
// from the chosen input to the default output. The loopback is a server module that outlives the
// program, so it is marked with properties of ours, found again by them, and switched by muting its
// playback stream, which keeps whatever volume the operator gave it in the volume control.
//
// libpulse runs on the GLib main context that Qt's event loop dispatches: no thread of our own. The
// server is reached on the first request, never started by us, and reached again after it went away.
class PulseLineIn final : public LineIn {
    Q_OBJECT
public:
    // `server` as libpulse takes it ("unix:/run/user/1000/pulse/native"); empty: the session's
    // server (PULSE_SERVER, client.conf, the user's socket).
    explicit PulseLineIn(QByteArray server = {}, QObject* parent = nullptr);
    ~PulseLineIn() override;

    void setOn(bool on, const QString& source) override;
    void listSources() override;

private:
    enum class Kind { On, Off, List };
    struct Request {
        Kind kind;
        QString source;
        bool retried = false;
    };
    struct RadioStream {
        std::uint32_t index;
        std::uint32_t module;
        QString source;
    };

    void pump();
    void connectToServer();
    void contextStateChanged();
    void dropContext();
    void start();
    void finish(bool ok, const QString& failure = {});
    void failAll(const QString& failure);
    void post(std::function<void()> emitter);

    void checkSource();
    void findRadioStreams();
    void settleOn();
    void settleOff();
    void loadLoopback();
    void muteStreams(const QList<std::uint32_t>& streams, bool mute);

    static void onState(pa_context* context, void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void onSinkInput(pa_context* context, const pa_sink_input_info* info, int eol, void* self);
    static void onSourceListed(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void onLoaded(pa_context* context, std::uint32_t module, void* self);
    static void onMuted(pa_context* context, int success, void* self);

    QByteArray server_;
    pa_glib_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    std::deque<Request> queue_;
    bool busy_ = false;
    int serial_ = 0;  // tells a late timer that its request has ended

    // The request being carried out.
    Request current_{Kind::Off, {}, false};
    QString sourceName_;  // the source asked for, the default one resolved
    bool sourceFound_ = false;
    bool loaded_ = false;
    int streamChecks_ = 0;
    int pendingMutes_ = 0;
    bool mutesOk_ = true;
    QList<RadioStream> streams_;
    QList<InputSource> sources_;
};

// Whether a source name can be handed to the server as a module argument. Names come from a settings
// file, so one that could close the quotes around it and add arguments of its own is refused.
bool isUsableSourceName(const QString& name);

}  // namespace quel
