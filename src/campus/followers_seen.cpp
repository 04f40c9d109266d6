#include "campus/followers_seen.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QUrlQuery>
#include <algorithm>

#include "campus/bundle.h"

namespace quel::campus {

namespace {

// host ident user [time] "METHOD target PROTOCOL" status size ...
const QRegularExpression kLine(QStringLiteral(R"(^(\S+) \S+ \S+ \[([^\]]+)\] "(\S+) (\S+)[^"]*" (\d{3}) )"));

// "07/Dec/2026:08:31:05 +0800", with English month names whatever the locale.
QDateTime logTime(const QString& text) {
    static const QRegularExpression shape(
        QStringLiteral(R"(^(\d\d/\w{3}/\d{4}:\d\d:\d\d:\d\d) ([+-])(\d\d)(\d\d)$)"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return {};
    // Date and time apart, so the local zone's summer-time gaps never move a time that has its offset.
    const QDate date = QLocale::c().toDate(m.captured(1).left(11), QStringLiteral("dd/MMM/yyyy"));
    const QTime time = QTime::fromString(m.captured(1).mid(12), QStringLiteral("HH:mm:ss"));
    const int offset = (m.captured(3).toInt() * 60 + m.captured(4).toInt()) * 60;
    const QDateTime t(date, time, Qt::OffsetFromUTC, m.captured(2) == QLatin1String("-") ? -offset : offset);
    if (!t.isValid())
        return {};
    return t.toUTC();
}

}  // namespace

std::optional<qint64> manifestFetch(const QString& method, const QString& target, int status) {
    if (method != QLatin1String("GET") || (status != 200 && status != 304))
        return std::nullopt;
    const qsizetype query = target.indexOf(QLatin1Char('?'));
    if (!target.left(query).endsWith(QLatin1Char('/') + kManifestName))
        return std::nullopt;
    if (query < 0)
        return 0;
    // Anyone can write any number there; only a version a bundle could have is taken.
    const qint64 version =
        QUrlQuery(target.mid(query + 1)).queryItemValue(QStringLiteral("have")).toLongLong();
    return std::max<qint64>(version, 0);
}

void FollowersHeard::note(const FollowerSeen& fetch) {
    auto it = latest_.find(fetch.address);
    if (it != latest_.end()) {
        if (it->lastFetch <= fetch.lastFetch)
            *it = fetch;
        return;
    }
    if (latest_.size() >= kMaxAddresses) {
        const auto oldest = std::min_element(
            latest_.begin(), latest_.end(),
            [](const FollowerSeen& a, const FollowerSeen& b) { return a.lastFetch < b.lastFetch; });
        if (oldest->lastFetch > fetch.lastFetch)
            return;
        latest_.erase(oldest);
    }
    latest_.insert(fetch.address, fetch);
}

QList<FollowerSeen> FollowersHeard::since(const QDateTime& from) const {
    QList<FollowerSeen> result;
    for (const FollowerSeen& f : latest_) {
        if (f.lastFetch >= from)
            result << f;
    }
    std::sort(result.begin(), result.end(), [](const FollowerSeen& a, const FollowerSeen& b) {
        return a.lastFetch != b.lastFetch ? a.lastFetch > b.lastFetch : a.address < b.address;
    });
    return result;
}

QList<FollowerSeen> followersInLog(const QByteArray& log, const QDateTime& since) {
    FollowersHeard heard;
    const QDateTime from = since.toUTC();
    for (const QByteArray& raw : log.split('\n')) {
        const QRegularExpressionMatch m = kLine.match(QString::fromUtf8(raw));
        if (!m.hasMatch())
            continue;
        const std::optional<qint64> version =
            manifestFetch(m.captured(3), m.captured(4), m.captured(5).toInt());
        if (!version)
            continue;
        const QDateTime at = logTime(m.captured(2));
        if (!at.isValid() || at < from)
            continue;
        heard.note({m.captured(1), at, *version});
    }
    return heard.since(from);
}

FollowersSeen readFollowersSeen(const QString& programFolder, const QDateTime& since) {
    FollowersSeen seen;
    QFile setting(programFolder + QLatin1Char('/') + kCampusFolder + QLatin1Char('/') + kServerLogName);
    if (QFileInfo(setting).isSymLink() || !setting.open(QIODevice::ReadOnly))
        return seen;
    seen.logPath = QString::fromUtf8(setting.readLine(4096)).trimmed();
    if (seen.logPath.isEmpty())
        return seen;
    QFile log(seen.logPath);
    if (!QFileInfo(log).isFile() || !log.open(QIODevice::ReadOnly)) {
        seen.error = QStringLiteral("无法读取 %1").arg(seen.logPath);
        return seen;
    }
    const qint64 start = std::max<qint64>(0, log.size() - kMaxLogTailBytes);
    QByteArray tail;
    if (log.seek(start))
        tail = log.read(kMaxLogTailBytes);
    // A tail that starts within a line starts at the next one.
    if (start > 0)
        tail = tail.mid(tail.indexOf('\n') + 1);
    seen.followers = followersInLog(tail, since);
    return seen;
}

}  // namespace quel::campus
