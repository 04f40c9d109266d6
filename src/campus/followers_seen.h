#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace quel::campus {

// A follower as the source's web server saw it fetch the manifest.
struct FollowerSeen {
    QString address;
    QDateTime lastFetch;  // UTC
    qint64 version = 0;   // the bundle it rang from when it asked; 0 when it did not say
    bool operator==(const FollowerSeen&) const = default;
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
};

// A log is read from its end, at most this much, so a year of a busy server's log costs no more than
// the last hours of it.
inline constexpr qint64 kMaxLogTailBytes = 4 * 1024 * 1024;
inline const QString kServerLogName = QStringLiteral("ServerLog.txt");

FollowersSeen readFollowersSeen(const QString& programFolder, const QDateTime& since);

}  // namespace quel::campus
