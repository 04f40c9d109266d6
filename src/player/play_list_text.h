#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
// Each folder and path is asked about once, so a list of many tracks loads in one pass.
QStringList keptTracks(const QStringList& tracks, const Files& files);

}  // namespace quel::playlist
