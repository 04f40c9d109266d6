#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace quel::campus {

// A follower as the source's web server saw it fetch the manifest.
struct FollowerSeen {
    QString address;
    QDateTime lastFetch;  // UTC
    qint64 version = 0;   // the bundle it rang from when it asked; 0 when it did not say
    bool operator==(const FollowerSeen&) const = default;
};

// Whether one request was a follower fetching the manifest: a GET of `target` (path and query) ending in
// "/manifest.signed", answered 200 or 304. The version it named ("?have=N"), 0 when none; nullopt when
// it was something else.
std::optional<qint64> manifestFetch(const QString& method, const QString& target, int status);

// The followers heard of, each address once with its latest fetch.
class FollowersHeard {
public:
    // Anyone may ask for the manifest, so a flood of addresses forgets the longest silent first.
    static constexpr qsizetype kMaxAddresses = 4096;
    void note(const FollowerSeen& fetch);
    // Those that fetched at or after `since`, most recent first.
    QList<FollowerSeen> since(const QDateTime& from) const;

private:
    QHash<QString, FollowerSeen> latest_;
};

// The followers that fetched in a web server's access log (the common or the combined log format):
// a GET of a path ending in "/manifest.signed", answered 200 or 304, at or after `since`. Each address
// once, with its latest fetch, most recent first. A follower names its bundle's version in the query
// ("?have=N"); lines of any other shape are passed over.
QList<FollowerSeen> followersInLog(const QByteArray& log, const QDateTime& since);

// What the source knows of its followers: the access log is named, one path on one line, in
// Campus/ServerLog.txt. Only a web server sees its callers; a shared folder tells nothing.
struct FollowersSeen {
    QString logPath;  // empty: none is named
    QString error;    // the log could not be read
    QList<FollowerSeen> followers;
    bool servedHere = false;  // the program's own web server offers the bundle and hears its callers
};

// A log is read from its end, at most this much, so a year of a busy server's log costs no more than
// the last hours of it.
inline constexpr qint64 kMaxLogTailBytes = 4 * 1024 * 1024;
inline const QString kServerLogName = QStringLiteral("ServerLog.txt");

FollowersSeen readFollowersSeen(const QString& programFolder, const QDateTime& since);

}  // namespace quel::campus
