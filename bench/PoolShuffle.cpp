#include "bench/PoolShuffle.h"

#include <cmath>

namespace muralto::bench {

std::vector<std::uint32_t> PoolShuffle(std::size_t n, platform::RandomSource& random) {
    std::vector<std::uint32_t> pool(n);
    for (std::size_t i = 0; i < n; ++i)
        pool[i] = static_cast<std::uint32_t>(i + 1);
    std::vector<std::uint32_t> order(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        const double remaining = static_cast<double>(pool.size());
        const double scaled = std::floor(random.next() * remaining);
        std::size_t k = 0;
        if (scaled >= remaining - 1)
            k = pool.size() - 1;
        else if (scaled > 0)
            k = static_cast<std::size_t>(scaled);
        order[i] = pool[k];
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return order;
}

}  // namespace muralto::bench
