#pragma once

#include <QStringList>
#include <cstdint>
#include <random>

namespace quel {

// The random play order. One generator, seeded once, serves every shuffle of the program, so two
// shuffles in quick succession never repeat each other the way reseeding from a clock would.
class Shuffler {
public:
    Shuffler();
    explicit Shuffler(std::uint64_t seed) : engine_(seed) {}

    // Reorders the tracks into one random cycle: every track leaves its place, so two tracks always
    // swap and a listener never hears the list begin as it is stored. Fewer than two stay as they are.
    void shuffle(QStringList& tracks);

private:
    std::mt19937_64 engine_;
};

}  // namespace quel
