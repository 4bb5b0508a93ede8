#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/RandomSource.h"

namespace muralto::bench {

using platform::SeededRandom;

/// The pool draw written the plain way, as the reference that the play order must match: the
/// pool holds 1..n in ascending order; draw i (1 to n) takes r, k = floor(r * remaining) held
/// to 0..remaining-1, and moves the pool's element k (zero-based) to element i of the result,
/// closing the gap. Element 0 is 0. O(n^2): a million entries take seconds.
std::vector<std::uint32_t> PoolShuffle(std::size_t n, platform::RandomSource& random);

}  // namespace muralto::bench
