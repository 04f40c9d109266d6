#include "player/player_session.h"

namespace quel {

PlayerSession::PlayerSession(Platform& platform, Shuffler& shuffler, QObject* parent)
    : QObject(parent),
      platform_(platform),
      media_(platform.media.createForBroadcast()),
      list_(platform.files, platform.dialogs, platform.programFolder, shuffler),
      playback_(*media_, list_),
      announcement_(*media_) {
    media_->setObjectName(QStringLiteral("MediaPlayer1"));
    media_->setVideoEnabled(true);
}

PlayerSession::~PlayerSession() = default;

}  // namespace quel
