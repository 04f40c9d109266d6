#include "platform/pulse_line_in.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>

#include "platform/log.h"
#include "platform/program_title.h"

namespace quel {

Q_LOGGING_CATEGORY(lcLineIn, "quel.linein")

namespace {

constexpr const char* kApplicationName = kProgramTitle;
constexpr char kApplicationId[] = "quelbrook.radio";
// Our mark on the loopback's playback stream, and the source it was made from: the source does not
// change while it lives, since the loopback may not be moved to another one.
constexpr char kRoleProperty[] = "quelbrook.role";
constexpr char kRoleValue[] = "radio";
constexpr char kSourceProperty[] = "quelbrook.source";

// PipeWire answers a module load before the module's streams exist; look for them a while.
constexpr int kStreamChecks = 20;
constexpr int kStreamCheckMs = 100;

QString errorOf(pa_context* context) {
    return QString::fromUtf8(pa_strerror(pa_context_errno(context)));
}

bool issued(pa_operation* operation) {
    if (!operation)
        return false;
    pa_operation_unref(operation);
    return true;
}

QByteArray quoted(const QByteArray& value) {
    return '"' + value + '"';
}

// Both streams are named for the volume control, and share an application id of their own so that
// the server's memory of a stream's volume and mute keeps the radio apart from our other sounds.
QByteArray loopbackArguments(const QString& source) {
    const QByteArray name = source.toUtf8();
    const QByteArray common = QByteArray(PA_PROP_MEDIA_NAME "=") + quoted(QStringLiteral("收音机").toUtf8()) +
                              " " PA_PROP_APPLICATION_NAME "=" + quoted(kApplicationName) +
                              " " PA_PROP_APPLICATION_ID "=" + quoted(kApplicationId);
    return "source=" + quoted(name) + " source_dont_move=true" + " sink_input_properties='" + common + ' ' +
           kRoleProperty + '=' + quoted(kRoleValue) + ' ' + kSourceProperty + '=' + quoted(name) + '\'' +
           " source_output_properties='" + common + '\'';
}

QString propertyOf(const pa_proplist* properties, const char* key) {
    const char* value = pa_proplist_gets(properties, key);
    return value ? QString::fromUtf8(value) : QString();
}

PulseLineIn* self(void* userdata) {
    return static_cast<PulseLineIn*>(userdata);
}

}  // namespace

bool isUsableSourceName(const QString& name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c == u'"' || c == u'\'' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

PulseLineIn::PulseLineIn(QByteArray server, QObject* parent)
    : LineIn(parent), server_(std::move(server)), mainloop_(pa_glib_mainloop_new(nullptr)) {
    // Qt runs GLib's default context only with its GLib dispatcher (not under QT_NO_GLIB); without it
    // no request would ever be answered.
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
        qCDebug(lcLineIn) << "the event loop does not run GLib's main context: the radio cannot be switched";
}

PulseLineIn::~PulseLineIn() {
    // Disconnecting cancels the requests under way without calling back.
    dropContext();
    pa_glib_mainloop_free(mainloop_);
}

void PulseLineIn::setOn(bool on, const QString& source) {
    queue_.push_back({on ? Kind::On : Kind::Off, source});
    pump();
}

void PulseLineIn::listSources() {
    queue_.push_back({Kind::List, {}});
    pump();
}

// ---- Connection ------------------------------------------------------------------------------

void PulseLineIn::pump() {
    if (busy_ || queue_.empty())
        return;
    if (!context_) {
        connectToServer();
        return;
    }
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return;  // the state callback pumps again
    current_ = queue_.front();
    queue_.pop_front();
    busy_ = true;
    start();
}

void PulseLineIn::connectToServer() {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kApplicationName);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kApplicationId);
    context_ = pa_context_new_with_proplist(pa_glib_mainloop_get_api(mainloop_), nullptr, properties);
    pa_proplist_free(properties);
    if (!context_) {
        failAll(QStringLiteral("no sound server context"));
        return;
    }
    pa_context_set_state_callback(context_, &PulseLineIn::onState, this);
    // Never start a server: the radio is only heard through the one the desktop runs.
    pa_context* context = context_;
    if (pa_context_connect(context, server_.isEmpty() ? nullptr : server_.constData(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0 &&
        context_ == context) {
        const QString why = errorOf(context);
        dropContext();
        failAll(why);
    }
}

void PulseLineIn::onState(pa_context* context, void* userdata) {
    PulseLineIn* me = self(userdata);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            me->pump();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED: {
            // The server went away or was never there; the next request reaches out again. One that
            // was under way when a running server went away (restarted with the desktop session,
            // say) is tried once more on a new connection.
            const QString why = errorOf(context);
            me->dropContext();
            if (me->busy_ && !me->current_.retried) {
                me->busy_ = false;
                me->current_.retried = true;
                me->queue_.push_front(me->current_);
                QMetaObject::invokeMethod(me, &PulseLineIn::pump, Qt::QueuedConnection);
            } else {
                me->failAll(why);
            }
            break;
        }
        default:
            break;
    }
}

void PulseLineIn::dropContext() {
    if (!context_)
        return;
    pa_context* context = context_;
    context_ = nullptr;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

// ---- Requests --------------------------------------------------------------------------------

void PulseLineIn::start() {
    ++serial_;
    streams_.clear();
    sources_.clear();
    sourceName_.clear();
    sourceFound_ = false;
    loaded_ = false;
    streamChecks_ = 0;
    switch (current_.kind) {
        case Kind::On:
            if (!current_.source.isEmpty()) {
                sourceName_ = current_.source;
                checkSource();
            } else if (!issued(pa_context_get_server_info(context_, &PulseLineIn::onServerInfo, this))) {
                finish(false, errorOf(context_));
            }
            break;
        case Kind::Off:
            findRadioStreams();
            break;
        case Kind::List:
            if (!issued(pa_context_get_source_info_list(context_, &PulseLineIn::onSourceListed, this)))
                finish(false, errorOf(context_));
            break;
    }
}

void PulseLineIn::finish(bool ok, const QString& failure) {
    if (!ok)
        qCDebug(lcLineIn) << "radio request failed:" << failure;
    busy_ = false;
    if (current_.kind == Kind::List) {
        const QList<InputSource> listed = ok ? sources_ : QList<InputSource>();
        post([this, listed] { emit sourcesListed(listed); });
    } else {
        post([this, ok, failure] { emit finished(ok, ok ? QString() : failure); });
    }
    QMetaObject::invokeMethod(this, &PulseLineIn::pump, Qt::QueuedConnection);
}

void PulseLineIn::failAll(const QString& failure) {
    if (busy_)
        finish(false, failure);
    while (!queue_.empty()) {
        current_ = queue_.front();
        queue_.pop_front();
        finish(false, failure);
    }
}

// Answers go out from Qt's event loop, never from inside libpulse, so a receiver may do anything,
// deleting this object included.
void PulseLineIn::post(std::function<void()> emitter) {
    QMetaObject::invokeMethod(this, std::move(emitter), Qt::QueuedConnection);
}

void PulseLineIn::onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (!info || !info->default_source_name) {
        me->finish(false, QStringLiteral("the server has no default input"));
        return;
    }
    me->sourceName_ = QString::fromUtf8(info->default_source_name);
    me->checkSource();
}

// A loopback from a missing source would be accepted by PipeWire and then vanish without a word.
void PulseLineIn::checkSource() {
    if (!isUsableSourceName(sourceName_)) {
        finish(false, QStringLiteral("unusable input name ") + sourceName_);
        return;
    }
    if (!issued(pa_context_get_source_info_by_name(context_, sourceName_.toUtf8().constData(),
                                                   &PulseLineIn::onSourceInfo, this)))
        finish(false, errorOf(context_));
}

void PulseLineIn::onSourceInfo(pa_context*, const pa_source_info* info, int eol, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (info)
        me->sourceFound_ = true;
    if (eol == 0)
        return;
    if (eol < 0 || !me->sourceFound_) {
        me->finish(false, QStringLiteral("no input named ") + me->sourceName_);
        return;
    }
    me->findRadioStreams();
}

void PulseLineIn::findRadioStreams() {
    streams_.clear();
    if (!issued(pa_context_get_sink_input_info_list(context_, &PulseLineIn::onSinkInput, this)))
        finish(false, errorOf(context_));
}

void PulseLineIn::onSinkInput(pa_context* context, const pa_sink_input_info* info, int eol, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (eol < 0) {
        me->finish(false, errorOf(context));
        return;
    }
    if (info) {
        if (propertyOf(info->proplist, kRoleProperty) == QLatin1String(kRoleValue))
            me->streams_.append(
                {info->index, info->owner_module, propertyOf(info->proplist, kSourceProperty)});
        return;
    }
    if (me->current_.kind == Kind::On)
        me->settleOn();
    else
        me->settleOff();
}

void PulseLineIn::settleOn() {
    const RadioStream* keep = nullptr;
    for (const RadioStream& stream : std::as_const(streams_)) {
        if (!keep && stream.source == sourceName_) {
            keep = &stream;
            continue;
        }
        // A radio from another input, or a second one from a race with another program run: one
        // radio plays, from the input asked for.
        if (stream.module != PA_INVALID_INDEX)
            issued(pa_context_unload_module(context_, stream.module, nullptr, nullptr));
        else
            issued(pa_context_set_sink_input_mute(context_, stream.index, 1, nullptr, nullptr));
    }
    if (keep) {
        // Even a loopback made just now: the server may have restored the mute it last had.
        muteStreams({keep->index}, false);
        return;
    }
    if (!loaded_) {
        loadLoopback();
        return;
    }
    if (streamChecks_ < kStreamChecks) {
        ++streamChecks_;
        const int serial = serial_;
        QTimer::singleShot(kStreamCheckMs, this, [this, serial] {
            if (busy_ && serial == serial_ && context_)
                findRadioStreams();
        });
        return;
    }
    finish(false, QStringLiteral("the loopback was loaded but its stream never appeared"));
}

void PulseLineIn::loadLoopback() {
    const QByteArray arguments = loopbackArguments(sourceName_);
    if (!issued(pa_context_load_module(context_, "module-loopback", arguments.constData(),
                                       &PulseLineIn::onLoaded, this)))
        finish(false, errorOf(context_));
}

void PulseLineIn::onLoaded(pa_context* context, std::uint32_t module, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (module == PA_INVALID_INDEX) {
        me->finish(false, QStringLiteral("the server refused the loopback: ") + errorOf(context));
        return;
    }
    me->loaded_ = true;
    me->findRadioStreams();
}

void PulseLineIn::settleOff() {
    QList<std::uint32_t> indexes;
    for (const RadioStream& stream : std::as_const(streams_))
        indexes.append(stream.index);
    muteStreams(indexes, true);
}

void PulseLineIn::muteStreams(const QList<std::uint32_t>& streams, bool mute) {
    pendingMutes_ = 0;
    mutesOk_ = true;
    for (const std::uint32_t stream : streams) {
        if (issued(
                pa_context_set_sink_input_mute(context_, stream, mute ? 1 : 0, &PulseLineIn::onMuted, this)))
            ++pendingMutes_;
        else
            mutesOk_ = false;
    }
    if (pendingMutes_ == 0)
        finish(mutesOk_, errorOf(context_));
}

void PulseLineIn::onMuted(pa_context* context, int success, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (!success)
        me->mutesOk_ = false;
    if (--me->pendingMutes_ == 0)
        me->finish(me->mutesOk_, errorOf(context));
}

// ---- Listing ---------------------------------------------------------------------------------

void PulseLineIn::onSourceListed(pa_context* context, const pa_source_info* info, int eol, void* userdata) {
    PulseLineIn* me = self(userdata);
    if (eol < 0) {
        me->finish(false, errorOf(context));
        return;
    }
    if (info) {
        // A monitor repeats what an output plays; a radio is never wired to one.
        if (info->monitor_of_sink == PA_INVALID_INDEX) {
            const QString name = QString::fromUtf8(info->name);
            const QString description = info->description ? QString::fromUtf8(info->description) : QString();
            me->sources_.append({name, description.isEmpty() ? name : description});
        }
        return;
    }
    me->finish(true);
}

}  // namespace quel
