#pragma once

#include <cstddef>

namespace muralto::platform {

/// A block of whole pages taken straight from the system for one large picture.
struct PageBlock {
    void* data = nullptr;  ///< null when the system gave none
    std::size_t size = 0;  ///< the bytes mapped, at least those asked for
};

/// Blocks at least this large come from allocatePages; smaller ones are not worth the calls.
inline constexpr std::size_t kPageBlockMinimum = std::size_t(1) << 20;

/// Maps a zeroed block of at least bytes, asking for it to be backed by huge pages where the
/// system offers them (transparent huge pages), and touches it in once. A picture of some
/// megabytes in small pages costs a fault for each 4 kB on first use, which on a virtual
/// machine took 25 ms for 7 MB where huge pages take 1 ms; and a block of its own goes back to
/// the system when freed, where the heap would keep it for the idle program. A null block
/// when the system has no memory for it.
PageBlock allocatePages(std::size_t bytes);

/// Unmaps a block from allocatePages; a null block is left alone.
void freePages(PageBlock block);

/// A block of allocatePages kept on the heap, for owners that hold one untyped pointer (a
/// QImage's cleanup information); null when the system gave none.
PageBlock* newPageBlock(std::size_t bytes);
/// Frees the pages and the block of newPageBlock; the signature of a QImage cleanup function.
void deletePageBlock(void* block);

}  // namespace muralto::platform
