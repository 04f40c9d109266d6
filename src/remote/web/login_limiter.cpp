#include "remote/web/login_limiter.h"

namespace quel {

void LoginLimiter::forget(qint64 nowMs) {
    const auto stale = [nowMs](qint64 t) { return nowMs - t >= kWindowMs; };
    all_.removeIf(stale);
    for (auto it = byAddress_.begin(); it != byAddress_.end();) {
        it->removeIf(stale);
        it = it->isEmpty() ? byAddress_.erase(it) : std::next(it);
    }
}

bool LoginLimiter::admit(const QHostAddress& from, qint64 nowMs) {
    forget(nowMs);
    // An IPv4 caller reached through a dual-stack socket counts as the same address.
    bool isV4 = false;
    const quint32 v4 = from.toIPv4Address(&isV4);
    const QString key = isV4 ? QHostAddress(v4).toString() : from.toString();
    QList<qint64>& mine = byAddress_[key];
    if (mine.size() >= kPerAddress || all_.size() >= kOverall) {
        if (mine.isEmpty())
            byAddress_.remove(key);
        return false;
    }
    mine.append(nowMs);
    all_.append(nowMs);
    return true;
}

}  // namespace quel
