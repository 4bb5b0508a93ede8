#include "platform/PageBlocks.h"

#include <sys/mman.h>

#include <cstdint>

namespace muralto::platform {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t roundUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

/// Fills the block's pages now, in one call instead of a fault each (Linux 5.14 and later);
/// elsewhere they come in on first use as usual.
void populate(void* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    ::madvise(data, size, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}

}  // namespace

PageBlock allocatePages(std::size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage)
        return {};
    // Huge pages need blocks aligned to their size: map one more than needed and give back
    // the unaligned ends.
    const std::size_t size = roundUp(bytes, kHugePage);
    const std::size_t mapped = size + kHugePage;
    void* start =
        ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED)
        return {};
    const auto first = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t aligned = roundUp(first, kHugePage);
    if (aligned > first)
        ::munmap(start, aligned - first);
    if (const std::size_t tail = first + mapped - (aligned + size); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* data = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(data, size, MADV_HUGEPAGE);
#endif
    populate(data, size);
    return {data, size};
}

void freePages(PageBlock block) {
    if (block.data)
        ::munmap(block.data, block.size);
}

PageBlock* newPageBlock(std::size_t bytes) {
    const PageBlock block = allocatePages(bytes);
    return block.data ? new PageBlock(block) : nullptr;
}

void deletePageBlock(void* block) {
    auto* owned = static_cast<PageBlock*>(block);
    freePages(*owned);
    delete owned;
}

}  // namespace muralto::platform
