// Fuzz target: a web server's access log, which the source reads to list its followers. The log is
// written by a server every caller on the network can put words into (the path, the query, the agent).

#include <QSet>
#include <cstddef>
#include <cstdint>

#include "campus/followers_seen.h"
#include "fuzz_check.h"

using namespace quel::campus;

namespace {

// Each address once, every fetch within the window, the most recent first.
void checkList(const QList<FollowerSeen>& followers, const QDateTime& since) {
    QSet<QString> addresses;
    for (qsizetype i = 0; i < followers.size(); ++i) {
        const FollowerSeen& f = followers[i];
        FUZZ_CHECK(!f.address.isEmpty());
        FUZZ_CHECK(!addresses.contains(f.address));
        addresses.insert(f.address);
        FUZZ_CHECK(f.lastFetch.isValid());
        FUZZ_CHECK(f.lastFetch.timeSpec() == Qt::UTC);
        FUZZ_CHECK(f.lastFetch >= since);
        FUZZ_CHECK(f.version >= 0);
        if (i > 0)
            FUZZ_CHECK(followers[i - 1].lastFetch >= f.lastFetch);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray log(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime early(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime late(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC);
    const QList<FollowerSeen> all = followersInLog(log, early);
    const QList<FollowerSeen> recent = followersInLog(log, late);
    checkList(all, early);
    checkList(recent, late);
    // A later window sees the same latest fetches, only fewer of them.
    FUZZ_CHECK(recent.size() <= all.size());
    for (const FollowerSeen& f : recent)
        FUZZ_CHECK(all.contains(f));
    return 0;
}
