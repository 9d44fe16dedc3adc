// A small seeded generator (SplitMix64), so that every "random" detail of a
// picture (which windows are lit, where the stars are) is the same on every
// build.
#pragma once

#include <cstdint>

namespace pictures {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // An integer in [lo, hi].
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Unit() < p; }

private:
    uint64_t state_;
};

}  // namespace pictures
