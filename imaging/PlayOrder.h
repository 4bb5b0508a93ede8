#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/RandomSource.h"

namespace muralto::imaging {

/// The indices 1 to n in the order of the pool draw: the pool starts as 1..n in ascending
/// order; draw i (1 to n) takes r from random, k = floor(r * remaining), and removes the index
/// at zero-based position k of the pool into element i. Element 0 of the result is 0. Runs in
/// O(n log n) with an order-statistic tree, giving the same permutation as the plain pool for
/// the same draws. A draw outside [0, 1) is held to the nearest pool position. Throws
/// std::length_error for 2^31 entries or more.
std::vector<std::uint32_t> ShuffledIndices(std::size_t n, platform::RandomSource& random);

/// Rebuilds gsPlayOrder as a new cycle over gsImageList: the permutation of ShuffledIndices
/// for N = the upper bound of gsImageList (its size less element 0). The play order holds
/// positions in gsImageList rather than copies of its paths; element 0 is 0, the empty entry.
void ShufflePlayOrder(const std::vector<std::string>& gsImageList,
                      std::vector<std::uint32_t>& gsPlayOrder, platform::RandomSource& random);

}  // namespace muralto::imaging
