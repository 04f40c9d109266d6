#include "remote/mpris_player.h"

#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>
#include <cmath>

namespace quel {

namespace {
constexpr double kMicrosecondsPerSecond = 1e6;
constexpr double kHundredthsDbPerDb = 100.0;
}  // namespace

QVariantMap mprisMetadata(const MprisPlayer::Track& track) {
    if (track.path.isEmpty())
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral(
                                                      "/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    QVariantMap m;
    m.insert(QStringLiteral("mpris:trackid"),
             QVariant::fromValue(
                 QDBusObjectPath(QStringLiteral("/io/github/quelbrook/track/%1").arg(track.number))));
    if (track.lengthSeconds > 0)
        m.insert(QStringLiteral("mpris:length"),
                 qlonglong(std::llround(track.lengthSeconds * kMicrosecondsPerSecond)));
    m.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(track.path).toString());
    m.insert(QStringLiteral("xesam:title"),
             track.title.trimmed().isEmpty() ? QFileInfo(track.path).completeBaseName() : track.title);
    if (!track.artist.trimmed().isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{track.artist});
    if (!track.album.trimmed().isEmpty())
        m.insert(QStringLiteral("xesam:album"), track.album);
    return m;
}

double linearFromHundredthsDb(int hundredthsDb, int floor) {
    if (hundredthsDb <= floor)
        return 0.0;
    if (hundredthsDb >= 0)
        return 1.0;
    return std::pow(10.0, hundredthsDb / kHundredthsDbPerDb / 20.0);
}

int hundredthsDbFromLinear(double linear, int floor) {
    if (!(linear > 0.0))  // also NaN
        return floor;
    if (linear >= 1.0)
        return 0;
    const double db = 20.0 * std::log10(linear) * kHundredthsDbPerDb;
    return db <= floor ? floor : int(std::lround(db));
}

}  // namespace quel
