#include "remote/mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <cmath>

namespace quel {

namespace {
constexpr double kMicrosecondsPerSecond = 1e6;

qlonglong microseconds(double seconds) {
    return qlonglong(std::llround(seconds * kMicrosecondsPerSecond));
}

const QString kLoopNone = QStringLiteral("None");
const QString kLoopTrack = QStringLiteral("Track");
const QString kLoopPlaylist = QStringLiteral("Playlist");
}  // namespace

MprisRootAdaptor::MprisRootAdaptor(QObject* root, MprisPlayer& player)
    : QDBusAbstractAdaptor(root), player_(player) {}

QString MprisRootAdaptor::identity() const {
    return QStringLiteral("Quelbrook");
}

QString MprisRootAdaptor::desktopEntry() const {
    return QStringLiteral(QUELBROOK_APP_ID);
}

void MprisRootAdaptor::Raise() {
    player_.raise();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* root, MprisPlayer& player, QDBusConnection bus)
    : QDBusAbstractAdaptor(root), player_(player), bus_(std::move(bus)) {
    // The adaptor's own signals are relayed by Qt; PropertiesChanged is sent by hand below.
    setAutoRelaySignals(true);
    announced_ = snapshot();
    connect(&player_, &MprisPlayer::changed, this, &MprisPlayerAdaptor::announceChanges);
    connect(&player_, &MprisPlayer::seeked, this,
            [this](double seconds) { emit Seeked(microseconds(seconds)); });
}

QString MprisPlayerAdaptor::playbackStatus() const {
    switch (player_.state()) {
        case MprisPlayer::State::Playing:
            return QStringLiteral("Playing");
        case MprisPlayer::State::Paused:
            return QStringLiteral("Paused");
        case MprisPlayer::State::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

QString MprisPlayerAdaptor::loopStatus() const {
    switch (player_.loop()) {
        case MprisPlayer::Loop::Track:
            return kLoopTrack;
        case MprisPlayer::Loop::Playlist:
            return kLoopPlaylist;
        case MprisPlayer::Loop::None:
            break;
    }
    return kLoopNone;
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status) {
    if (status == kLoopNone)
        player_.setLoop(MprisPlayer::Loop::None);
    else if (status == kLoopTrack)
        player_.setLoop(MprisPlayer::Loop::Track);
    else if (status == kLoopPlaylist)
        player_.setLoop(MprisPlayer::Loop::Playlist);
}

void MprisPlayerAdaptor::setVolume(double linear) {
    player_.setVolume(std::isnan(linear) ? player_.volume() : std::clamp(linear, 0.0, 1.0));
}

qlonglong MprisPlayerAdaptor::position() const {
    return microseconds(player_.position());
}

void MprisPlayerAdaptor::PlayPause() {
    if (player_.state() == MprisPlayer::State::Playing)
        player_.pause();
    else
        player_.play();
}

// A seek past the end goes on to the next track and one before the start goes to the start, as the
// desktop's controls expect.
void MprisPlayerAdaptor::Seek(qlonglong offsetMicroseconds) {
    const MprisPlayer::Track track = player_.track();
    if (track.lengthSeconds <= 0)
        return;
    const double target = player_.position() + double(offsetMicroseconds) / kMicrosecondsPerSecond;
    if (target >= track.lengthSeconds) {
        player_.next();
        return;
    }
    player_.setPosition(std::max(0.0, target));
}

// Only for the track that plays, and only within it: a late request for a track that has since ended
// must not move the next one.
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong positionMicroseconds) {
    const MprisPlayer::Track track = player_.track();
    const auto current = mprisMetadata(track).value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>();
    const double seconds = double(positionMicroseconds) / kMicrosecondsPerSecond;
    if (trackId != current || seconds < 0 || seconds > track.lengthSeconds)
        return;
    player_.setPosition(seconds);
}

void MprisPlayerAdaptor::OpenUri(const QString&, const QDBusMessage& message) {
    message.setDelayedReply(true);
    bus_.send(message.createErrorReply(QDBusError::NotSupported,
                                       QStringLiteral("Quelbrook plays its play lists only")));
}

QVariantMap MprisPlayerAdaptor::snapshot() const {
    return {{QStringLiteral("PlaybackStatus"), playbackStatus()},
            {QStringLiteral("LoopStatus"), loopStatus()},
            {QStringLiteral("Shuffle"), shuffle()},
            {QStringLiteral("Metadata"), metadata()},
            {QStringLiteral("Volume"), volume()},
            {QStringLiteral("CanGoNext"), canGoNext()},
            {QStringLiteral("CanGoPrevious"), canGoPrevious()},
            {QStringLiteral("CanPlay"), canPlay()},
            {QStringLiteral("CanSeek"), canSeek()}};
}

// Only what changed goes out: the desktop's sound menu redraws on every announcement.
void MprisPlayerAdaptor::announceChanges() {
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    announced_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/mpris/MediaPlayer2"),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    bus_.send(signal);
}

}  // namespace quel
