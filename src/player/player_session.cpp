#include "player/player_session.h"

namespace quel {

PlayerSession::PlayerSession(Platform& platform, Shuffler& shuffler, QObject* parent)
    : QObject(parent),
      platform_(platform),
      media_(platform.media.createForBroadcast().release()),
      list_(platform.files, platform.programFolder, shuffler, platform.worker),
      commands_(list_, platform.files, platform.dialogs),
      playback_(*media_, list_),
      announcement_(*media_) {
    media_->setParent(this);
    media_->setObjectName(QStringLiteral("MediaPlayer1"));
    media_->setVideoEnabled(true);
}

PlayerSession::~PlayerSession() = default;

}  // namespace quel
