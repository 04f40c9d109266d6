#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

#include "platform/files.h"

// The text of a play list: "|" before each track's full path ("|/music/a.mp3|/music/b.wav"), and the
// .PLF file that holds it as one quoted line.
namespace quel::playlist {

// The tracks of a list text, in order. Text before the first "|" is a track of its own, so a file
// written by hand without the leading bar keeps its first path whole.
QStringList splitTracks(const QString& listText);
QString joinTracks(const QStringList& tracks);

// The list text held in a file's bytes (UTF-8, or GB18030 from the Windows version).
QString listTextFromBytes(const QByteArray& bytes);
// The bytes of a file that holds `tracks`: one quoted line, `""` CR LF for the empty list.
QByteArray listFileBytes(const QStringList& tracks);

// Whether a path can be stored in a list: a "|" would split it in two and a double quote would end
// the file's text early, losing every track after it.
bool fitsInList(const QString& path);

// The tracks that stay when a list is loaded. A track goes only when its folder is there and the file
// is not: a file deleted for good. Tracks on an unplugged stick, an unmounted share or a path from
// Windows cannot be checked and stay, to be skipped at play. Empty tracks name nothing and go.
// The tracks of one folder are looked up together, and each missing file's folder once. Stops early,
// with the tracks looked at so far, once `cancelled` is set.
QStringList keptTracks(const QStringList& tracks, const Files& files,
                       const std::atomic_bool* cancelled = nullptr);

// What the check of a list file found: how the read went, the tracks that stay, and the bytes to write
// back when some went. `rewrite` is empty when none went, so a list on absent media is never rewritten.
struct CheckedList {
    ReadStatus status = ReadStatus::Missing;
    QStringList tracks;
    QByteArray rewrite;
};

// Reads the list at `path` and keeps its tracks as keptTracks does. It only reads, through the const
// part of Files, so it may run on a worker thread.
CheckedList checkList(const Files& files, const QString& path, const std::atomic_bool* cancelled = nullptr);

}  // namespace quel::playlist
