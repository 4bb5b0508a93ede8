#include "PlayOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "SeededRandom.h"

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
    for (std::size_t n : {0u, 1u, 2u, 3u, 17u, 1000u, 4097u}) {
        for (std::uint64_t seed : {1u, 7u, 2024u}) {
            test::SeededRandom forFenwick(seed);
            test::SeededRandom forPool(seed);
            EXPECT_EQ(ShuffledIndices(n, forFenwick), poolReference(n, forPool))
                << "n=" << n << " seed=" << seed;
        }
    }
}

/// Gives the same value at every draw.
class ConstantRandom : public platform::RandomSource {
public:
    explicit ConstantRandom(double value) : value_(value) {}
    double next() override { return value_; }

private:
    double value_;
};

TEST(ShuffledIndicesTest, DrawsAtAndBeyondTheEndsStayInsideThePool) {
    struct Case {
        double r;
        bool descending;  // true: always the last of the pool, else always the first
    };
    const double belowOne = std::nextafter(1.0, 0.0);
    for (const Case& c :
         {Case{0.0, false}, Case{belowOne, true}, Case{1.0, true}, Case{7.5, true},
          Case{-0.25, false}, Case{std::numeric_limits<double>::quiet_NaN(), false}}) {
        ConstantRandom random(c.r);
        const std::size_t n = 4097;
        const auto order = ShuffledIndices(n, random);
        ASSERT_EQ(order.size(), n + 1);
        for (std::size_t i = 1; i <= n; ++i) {
            const std::size_t expected = c.descending ? n + 1 - i : i;
            ASSERT_EQ(order[i], expected) << "r=" << c.r << " i=" << i;
        }
    }
}

TEST(ShufflePlayOrderTest, ACycleCoversTheListBelowElementZero) {
    struct Case {
        std::size_t listSize;
        std::size_t entries;  // the list's upper bound
    };
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{2, 1}, Case{41, 40}}) {
        const std::vector<std::string> list(c.listSize, "x");
        std::vector<std::uint32_t> playOrder{0, 7, 9};
        test::SeededRandom random(99);
        test::SeededRandom same(99);
        ShufflePlayOrder(list, playOrder, random);
        EXPECT_EQ(playOrder, poolReference(c.entries, same)) << "list size " << c.listSize;
    }
}

}  // namespace
}  // namespace muralto::imaging
