#pragma once

namespace quel {

// The order a play list plays in: as stored in its file, or a fresh random order each time. The
// schedule's two broadcast responses name one each, and the player's order switch chooses between them.
enum class PlayOrder { Stored, Shuffled };

}  // namespace quel
