#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <optional>

#include "remote/mpris_player.h"

namespace quel {

// Puts the broadcast player on the session bus as an MPRIS 2 player (org.mpris.MediaPlayer2.quelbrook)
// while it is loaded, and takes it off when it unloads, so the desktop shows no player that is not there.
class MprisService : public QObject {
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.mpris.MediaPlayer2.quelbrook");
    static inline const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");

    explicit MprisService(QDBusConnection bus, QObject* parent = nullptr);
    ~MprisService() override;

    // The loaded player, or null when it unloaded. False when the bus refused the name (another
    // program folder's instance shows its player); the player plays on without it.
    bool setPlayer(MprisPlayer* player);
    bool isPublished() const { return root_ != nullptr; }

private:
    void withdraw();

    QDBusConnection bus_;
    QObject* root_ = nullptr;  // the adaptors' parent, published at kPath
    QMetaObject::Connection playerGone_;
};

}  // namespace quel
