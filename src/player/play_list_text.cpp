#include "player/play_list_text.h"

#include <QHash>

namespace quel::playlist {

namespace {

constexpr QChar kBar = QLatin1Char('|');
constexpr QChar kQuote = QLatin1Char('"');
constexpr QChar kSlash = QLatin1Char('/');

}  // namespace

QStringList splitTracks(const QString& listText) {
    if (listText.isEmpty()) {
        return {};
    }
    QStringList tracks = listText.split(kBar);
    // The bar that opens the text stands before the first track; nothing stands before it.
    if (listText.startsWith(kBar)) {
        tracks.removeFirst();
    }
    return tracks;
}

QString joinTracks(const QStringList& tracks) {
    QString text;
    qsizetype size = 0;
    for (const QString& t : tracks) {
        size += t.size() + 1;
    }
    text.reserve(size);
    for (const QString& t : tracks) {
        text += kBar;
        text += t;
    }
    return text;
}

QString listTextFromBytes(const QByteArray& bytes) {
    return fileformat::firstField(fileformat::decode(bytes));
}

QByteArray listFileBytes(const QStringList& tracks) {
    return fileformat::quotedLine(joinTracks(tracks));
}

bool fitsInList(const QString& path) {
    return !path.isEmpty() && !path.contains(kBar) && !path.contains(kQuote);
}

QStringList keptTracks(const QStringList& tracks, const Files& files, const std::atomic_bool* cancelled) {
    QHash<QString, bool> folderThere;
    QHash<QString, bool> keep;
    QStringList kept;
    kept.reserve(tracks.size());
    for (const QString& track : tracks) {
        if (cancelled && cancelled->load(std::memory_order_relaxed)) {
            break;
        }
        if (track.isEmpty()) {
            continue;
        }
        auto known = keep.constFind(track);
        if (known == keep.constEnd()) {
            bool stays = true;
            const qsizetype slash = track.lastIndexOf(kSlash);
            // A folder in a track's place is no track either.
            if (track.startsWith(kSlash) && files.kind(track) != Files::Kind::File) {
                const QString folder = slash == 0 ? QString(kSlash) : track.left(slash);
                auto there = folderThere.constFind(folder);
                if (there == folderThere.constEnd()) {
                    there = folderThere.insert(folder, files.isDirectory(folder));
                }
                stays = !*there;
            }
            known = keep.insert(track, stays);
        }
        if (*known) {
            kept << track;
        }
    }
    return kept;
}

CheckedList checkList(const Files& files, const QString& path, const std::atomic_bool* cancelled) {
    ReadResult read = files.readFile(path, Files::kDocumentCap);
    CheckedList checked{read.status, {}, {}};
    if (read.status != ReadStatus::Read) {
        return checked;
    }
    const QStringList all = splitTracks(listTextFromBytes(read.bytes));
    read.bytes.clear();
    checked.tracks = keptTracks(all, files, cancelled);
    const bool cut = cancelled && cancelled->load(std::memory_order_relaxed);
    // A cancelled check looked at only part of the list: it is thrown away, never written.
    if (!cut && checked.tracks.size() != all.size()) {
        checked.rewrite = listFileBytes(checked.tracks);
    }
    return checked;
}

}  // namespace quel::playlist
