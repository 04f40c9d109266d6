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
    // Only absolute paths can be looked at. They keep the order of the list, so the tracks of one
    // folder stay together for the look-up.
    QStringList paths;
    QList<qsizetype> pathOf(tracks.size(), -1);
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (tracks[i].startsWith(kSlash)) {
            pathOf[i] = paths.size();
            paths << tracks[i];
        }
    }
    // Looked at in slices, so that a cancelled check stops soon.
    constexpr qsizetype kSlice = 4096;
    QList<Files::Kind> kinds;
    kinds.reserve(paths.size());
    for (qsizetype from = 0; from < paths.size(); from += kSlice) {
        if (cancelled && cancelled->load(std::memory_order_relaxed)) {
            break;
        }
        kinds << files.kinds(paths.mid(from, kSlice));
    }

    QHash<QString, bool> folderThere;
    QStringList kept;
    kept.reserve(tracks.size());
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        const QString& track = tracks[i];
        if (track.isEmpty()) {
            continue;
        }
        if (const qsizetype at = pathOf[i]; at >= 0) {
            if (at >= kinds.size()) {
                break;  // cancelled before it was looked at
            }
            // A folder in a track's place is no track either.
            if (kinds[at] != Files::Kind::File) {
                const qsizetype slash = track.lastIndexOf(kSlash);
                const QString folder = slash == 0 ? QString(kSlash) : track.left(slash);
                auto there = folderThere.constFind(folder);
                if (there == folderThere.constEnd()) {
                    there = folderThere.insert(folder, files.isDirectory(folder));
                }
                if (*there) {
                    continue;
                }
            }
        }
        kept << track;
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
