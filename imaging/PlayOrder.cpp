#include "PlayOrder.h"

#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace muralto::imaging {
namespace {

/// The pool as a Fenwick tree of 0/1 counts over the positions 1..n: finds the k-th remaining
/// index and removes it in O(log n).
class IndexPool {
public:
    /// All of 1..n present: the node i then counts the lowbit(i) positions it covers.
    explicit IndexPool(std::uint32_t n) : tree_(std::size_t{n} + 1), size_(n) {
        for (std::uint32_t i = 1; i <= n; ++i) tree_[i] = i & (~i + 1);
        topStep_ = n == 0 ? 0 : std::bit_floor(n);
    }

    /// Removes and returns the index at zero-based position k (k < remaining) of the pool.
    std::uint32_t take(std::uint32_t k) {
        const std::uint32_t index = find(k + 1);
        for (std::uint64_t i = index; i <= size_; i += i & (~i + 1)) --tree_[i];
        return index;
    }

private:
    /// The smallest index whose prefix count reaches rank, by binary lifting.
    std::uint32_t find(std::uint32_t rank) const {
        std::uint32_t position = 0;
        for (std::uint32_t step = topStep_; step != 0; step >>= 1) {
            const std::uint32_t next = position + step;
            if (next <= size_ && tree_[next] < rank) {
                position = next;
                rank -= tree_[next];
            }
        }
        return position + 1;
    }

    std::vector<std::uint32_t> tree_;
    std::uint32_t size_;
    std::uint32_t topStep_;
};

/// floor(r * remaining), kept inside 0..remaining-1: rounding can make r * n reach n for r just
/// below 1, and a faulty source may give anything.
std::uint32_t poolPosition(double r, std::uint32_t remaining) {
    const double scaled = std::floor(r * static_cast<double>(remaining));
    if (!(scaled > 0)) return 0;
    if (scaled >= static_cast<double>(remaining - 1)) return remaining - 1;
    return static_cast<std::uint32_t>(scaled);
}

}  // namespace

std::vector<std::uint32_t> ShuffledIndices(std::size_t n, platform::RandomSource& random) {
    if (n > std::numeric_limits<std::uint32_t>::max() - 1) {
        throw std::length_error("ShuffledIndices: too many entries");
    }
    const auto count = static_cast<std::uint32_t>(n);
    std::vector<std::uint32_t> order(n + 1, 0);
    IndexPool pool(count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        order[i] = pool.take(poolPosition(random.next(), count - i + 1));
    }
    return order;
}

void ShufflePlayOrder(const std::vector<std::string>& gsImageList,
                      std::vector<std::string>& gsPlayOrder, platform::RandomSource& random) {
    const std::size_t n = gsImageList.empty() ? 0 : gsImageList.size() - 1;
    const std::vector<std::uint32_t> order = ShuffledIndices(n, random);
    gsPlayOrder.assign(1, std::string());
    gsPlayOrder.reserve(n + 1);
    for (std::size_t i = 1; i <= n; ++i) gsPlayOrder.push_back(gsImageList[order[i]]);
}

}  // namespace muralto::imaging
