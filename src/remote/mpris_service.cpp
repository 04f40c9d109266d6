#include "remote/mpris_service.h"

#include "remote/mpris_adaptors.h"

namespace quel {

MprisService::MprisService(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

MprisService::~MprisService() {
    withdraw();
}

bool MprisService::setPlayer(MprisPlayer* player) {
    withdraw();
    if (!player || !bus_.isConnected())
        return false;
    root_ = new QObject(this);
    new MprisRootAdaptor(root_, *player);
    new MprisPlayerAdaptor(root_, *player, bus_);
    // The player may unload before the shell says so (its window closed): the bus never keeps a player
    // that is gone.
    playerGone_ = connect(player, &QObject::destroyed, this, [this] { withdraw(); });
    if (!bus_.registerObject(kPath, root_, QDBusConnection::ExportAdaptors) ||
        !bus_.registerService(kService)) {
        withdraw();
        return false;
    }
    return true;
}

void MprisService::withdraw() {
    disconnect(playerGone_);
    if (!root_)
        return;
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath);
    delete root_;
    root_ = nullptr;
}

}  // namespace quel
