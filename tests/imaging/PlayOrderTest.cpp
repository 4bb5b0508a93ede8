#include "imaging/PlayOrder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

#include "platform/RandomSource.h"

namespace muralto::imaging {
namespace {

/// The pool draw done plainly: a list of the remaining indices, taken from by position.
std::vector<std::uint32_t> poolReference(std::size_t n, platform::RandomSource& random) {
    std::vector<std::uint32_t> pool(n);
    std::iota(pool.begin(), pool.end(), 1u);
    std::vector<std::uint32_t> order{0};
    while (!pool.empty()) {
        const auto k = static_cast<std::size_t>(random.next() * static_cast<double>(pool.size()));
        order.push_back(pool[k]);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return order;
}

TEST(ShuffledIndicesTest, MatchesThePoolDrawForTheSameDraws) {
    for (std::size_t n : {0u, 1u, 2u, 17u, 1000u, 4097u}) {
        for (std::uint64_t seed : {1u, 2024u}) {
            platform::SeededRandom forFenwick(seed), forPool(seed);
            EXPECT_EQ(ShuffledIndices(n, forFenwick), poolReference(n, forPool))
                << "n=" << n << " seed=" << seed;
        }
    }
}

TEST(ShuffledIndicesTest, DrawsAtAndBeyondTheEndsStayInsideThePool) {
    struct ConstantRandom : platform::RandomSource {
        double value;
        double next() override { return value; }
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::size_t n = 4097;
    // Draws from the top take the last of the pool each time, the others the first.
    for (double r : {0.0, std::nextafter(1.0, 0.0), 1.0, 7.5, -0.25, nan}) {
        ConstantRandom random;
        random.value = r;
        const bool fromTheTop = r >= 0.5;
        const auto order = ShuffledIndices(n, random);
        ASSERT_EQ(order.size(), n + 1);
        for (std::size_t i = 1; i <= n; ++i)
            ASSERT_EQ(order[i], fromTheTop ? n + 1 - i : i) << "r=" << r << " i=" << i;
    }
}

}  // namespace
}  // namespace muralto::imaging
