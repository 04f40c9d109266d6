// Fuzz target: a .PLF file through the play list's reader, with the invariants the player's commands
// rely on: what is read and written back reads the same, and no track holds a separator.

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "player/play_list_text.h"

using namespace quel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = playlist::listTextFromBytes(bytes);
    const QStringList tracks = playlist::splitTracks(text);
    for (const QString& track : tracks)
        FUZZ_CHECK(!track.contains(QLatin1Char('|')));

    QStringList storable;
    for (const QString& track : tracks) {
        if (playlist::fitsInList(track) && !track.isEmpty())
            storable << track;
    }
    // A list saved and opened again holds the same tracks, or a save would lose some.
    const QByteArray written = playlist::listFileBytes(storable);
    FUZZ_CHECK(playlist::splitTracks(playlist::listTextFromBytes(written)) == storable);
    FUZZ_CHECK(playlist::splitTracks(playlist::joinTracks(storable)) == storable);
    return 0;
}
