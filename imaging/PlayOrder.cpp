#include "imaging/PlayOrder.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace muralto::imaging {
namespace {

/// kSelectInByte[r][b]: the position of the set bit of byte b that has r set bits below it.
constexpr auto kSelectInByte = [] {
    std::array<std::array<std::uint8_t, 256>, 8> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned rank = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (byte & (1u << bit))
                table[rank++][byte] = static_cast<std::uint8_t>(bit);
        }
    }
    return table;
}();

/// The position of the set bit of word that has rank set bits below it (rank < the word's
/// count). Counts bits per byte within the word: the program is built for plain x86-64, where
/// std::popcount is a library call, and this way it has no branches either.
std::uint32_t selectBit(std::uint64_t word, std::uint32_t rank) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::uint64_t counts = word - ((word >> 1) & 0x5555555555555555u);
    counts = (counts & 0x3333333333333333u) + ((counts >> 2) & 0x3333333333333333u);
    counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    // Byte i of prefix counts the bits of bytes 0..i; at most 64, so no byte overflows.
    const std::uint64_t prefix = counts * kOnes;
    // The high bit of byte i is set when prefix_i <= rank: the bytes before the one sought.
    const std::uint64_t before = ((rank * kOnes | kHighs) - prefix) & kHighs;
    const auto byte = static_cast<std::uint32_t>(((before >> 7) * kOnes) >> 56);
    const auto bitsBefore = static_cast<std::uint32_t>(((prefix << 8) >> (8 * byte)) & 0xFF);
    const auto bits = static_cast<std::uint8_t>(word >> (8 * byte));
    return 8 * byte + kSelectInByte[rank - bitsBefore][bits];
}

/// The pool of indices 1..n: one bit per index, in words of 64, and a Fenwick tree over the
/// words' counts. take finds the k-th remaining index and removes it in O(log n). The tree
/// is 64 times smaller than one over single indices, so it stays in the processor's cache
/// even for millions of entries.
class IndexPool {
public:
    explicit IndexPool(std::uint32_t n) {
        const std::uint32_t words = n / 64 + (n % 64 != 0 ? 1 : 0);
        bits_.assign(words, ~std::uint64_t{0});
        if (n % 64 != 0)
            bits_.back() = (std::uint64_t{1} << (n % 64)) - 1;
        topStep_ = words == 0 ? 0 : std::bit_floor(words);
        // Nodes past the last word are padding too large ever to be stepped over, so the
        // search needs no bounds test.
        tree_.assign(std::size_t{topStep_} * 2, kPadding);
        for (std::uint32_t i = 1; i <= words; ++i)
            tree_[i] = (i == words && n % 64 != 0) ? n % 64 : 64;
        // Each node passes its total up to its parent, in one pass from the bottom.
        for (std::uint32_t i = 1; i <= words; ++i) {
            const std::uint32_t parent = i + (i & (~i + 1));
            if (parent <= words)
                tree_[parent] += tree_[i];
        }
    }

    /// Removes and returns the index at zero-based position k (k < remaining) of the pool.
    std::uint32_t take(std::uint32_t k) {
        std::uint32_t rank = k + 1;
        const std::uint32_t word = findWord(rank);
        const std::uint32_t bit = selectBit(bits_[word], rank - 1);
        bits_[word] &= ~(std::uint64_t{1} << bit);
        return word * 64 + bit + 1;
    }

private:
    /// The zero-based word that holds the rank-th remaining index; rank becomes the rank
    /// within that word. Binary lifting from the top: a node that the search does not step
    /// over covers the word sought, and these are exactly the nodes whose count drops, so
    /// one descent both finds and removes.
    std::uint32_t findWord(std::uint32_t& rank) {
        std::uint32_t position = 0;
        for (std::uint32_t step = topStep_; step != 0; step >>= 1) {
            const std::uint32_t next = position + step;
            const std::uint32_t count = tree_[next];
            // All ones when the node is stepped over; masks rather than conditions, which
            // the compiler would turn back into (unpredictable) branches.
            const std::uint32_t stepOver = 0u - static_cast<std::uint32_t>(count < rank);
            position += step & stepOver;
            rank -= count & stepOver;
            tree_[next] = count - (1u & ~stepOver);
        }
        return position;
    }

    /// Larger than any rank even after a decrement at every draw.
    static constexpr std::uint32_t kPadding = std::numeric_limits<std::uint32_t>::max();

    std::vector<std::uint64_t> bits_;
    std::uint32_t topStep_ = 0;
    std::vector<std::uint32_t> tree_;
};

/// floor(r * remaining), kept inside 0..remaining-1: rounding can make r * n reach n for r just
/// below 1, and a faulty source may give anything.
std::uint32_t poolPosition(double r, std::uint32_t remaining) {
    const double scaled = std::floor(r * static_cast<double>(remaining));
    if (!(scaled > 0))
        return 0;
    if (scaled >= static_cast<double>(remaining - 1))
        return remaining - 1;
    return static_cast<std::uint32_t>(scaled);
}

/// The pool's counts and the padding share 32 bits: padding minus every decrement must stay
/// above any rank.
constexpr std::size_t kMaxEntries = std::size_t{1} << 31;

}  // namespace

std::vector<std::uint32_t> ShuffledIndices(std::size_t n, platform::RandomSource& random) {
    if (n >= kMaxEntries) {
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
                      std::vector<std::uint32_t>& gsPlayOrder, platform::RandomSource& random) {
    gsPlayOrder = ShuffledIndices(gsImageList.empty() ? 0 : gsImageList.size() - 1, random);
}

}  // namespace muralto::imaging
