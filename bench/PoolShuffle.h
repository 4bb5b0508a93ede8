#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "RandomSource.h"

namespace muralto::bench {

/// A RandomSource that repeats: two of them with the same seed give the same draws.
class SeededRandom : public platform::RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    /// 53 random bits as a double in [0, 1).
    double next() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_;
};

/// The pool draw written the plain way, as the reference that the play order must match: the
/// pool holds 1..n in ascending order; draw i (1 to n) takes r, k = floor(r * remaining) held
/// to 0..remaining-1, and moves the pool's element k (zero-based) to element i of the result,
/// closing the gap. Element 0 is 0. O(n^2): a million entries take seconds.
std::vector<std::uint32_t> PoolShuffle(std::size_t n, platform::RandomSource& random);

}  // namespace muralto::bench
