#include "player/shuffle.h"

namespace quel {

Shuffler::Shuffler() : engine_(std::random_device{}()) {}

void Shuffler::shuffle(QStringList& tracks) {
    const qsizetype n = tracks.size();
    // Each place swaps with one strictly after it, which makes a single cycle (Sattolo's method).
    for (qsizetype i = 0; i + 1 < n; ++i) {
        std::uniform_int_distribution<qsizetype> after(i + 1, n - 1);
        tracks.swapItemsAt(i, after(engine_));
    }
}

}  // namespace quel
