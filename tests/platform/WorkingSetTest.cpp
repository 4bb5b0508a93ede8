#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/WorkingSet.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr std::size_t kBlock = 64 * 1024;
/// Reading a page of a file maps its neighbours in the page cache too (up to 64 kB around it):
/// the page looked at lies far from any other read-only data the test reads.
constexpr std::size_t kReadOnlyBlock = 1024 * 1024;
constexpr std::size_t kMiddle = kReadOnlyBlock / 16 + 7;  ///< a word halfway, its first byte 7

/// Read-only data of the test program, in pages of its own: each word holds its index.
struct alignas(4096) Block {
    std::array<std::uint64_t, kReadOnlyBlock / 8> words;
};
constexpr Block makeBlock() {
    Block block{};
    for (std::size_t i = 0; i < block.words.size(); ++i)
        block.words[i] = i;
    return block;
}
constinit const Block kReadOnly = makeBlock();
/// Relocated read-only data: the loader writes these pointers once at start-up.
const std::uint64_t* const kRelocated[kBlock / sizeof(char*)] = {kReadOnly.words.data()};
/// Writable data the program changes.
alignas(4096) char gWritable[kBlock] = {1};

/// Whether the page at address is in this process's page tables.
bool present(const volatile void* address) {
    const int fd = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::uint64_t entry = 0;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const off_t at = off_t(reinterpret_cast<std::uintptr_t>(address) / page * sizeof(entry));
    const bool read = ::pread(fd, &entry, sizeof(entry), at) == sizeof(entry);
    ::close(fd);
    return read && (entry >> 63) != 0;
}

/// Reads the byte, which brings its page in.
char touch(const volatile char* byte) {
    return *byte;
}

// Only the read-only segments of loaded objects are let go, and they read the same after. A
// file mapped by other means may be unmapped by its owner at any moment, and what the program
// changed (relocated pointers, writable data) would be lost: both stay.
TEST(TrimWorkingSet, LetsGoOfLoadedCodeAndConstantsOnly) {
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    // A process the kernel marks undumpable (one run from a binary it may not read) cannot.
    if (!present(&page))
        GTEST_SKIP() << "this process may not read its page map";
    const test::TempDir dir;
    const std::string path = dir.write("pages", std::string(16 * page, 'x')).string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    auto* file =
        static_cast<const char*>(::mmap(nullptr, 16 * page, PROT_READ, MAP_PRIVATE, fd, 0));
    ASSERT_NE(file, MAP_FAILED);
    gWritable[kBlock / 2] = 7;

    const struct {
        const char* what;
        const volatile char* byte;
        char value;
        bool keptAfter;
    } rows[] = {
        {"read-only data", reinterpret_cast<const char*>(&kReadOnly.words[kMiddle]), 7, false},
        {"a mapped file", file + 8 * page, 'x', true},
        {"relocated data", reinterpret_cast<const char*>(&kRelocated[0]),
         reinterpret_cast<const char*>(&kRelocated[0])[0], true},
        {"writable data", &gWritable[kBlock / 2], 7, true},
    };
    for (const auto& row : rows) {
        touch(row.byte);
        ASSERT_TRUE(present(row.byte)) << row.what;
    }
    TrimWorkingSet();
    for (const auto& row : rows) {
        EXPECT_EQ(present(row.byte), row.keptAfter) << row.what;
        EXPECT_EQ(touch(row.byte), row.value) << row.what;
    }
    EXPECT_EQ(kRelocated[0], kReadOnly.words.data());
    EXPECT_EQ(kReadOnly.words[kMiddle], kMiddle);
    ::munmap(const_cast<char*>(file), 16 * page);
    ::close(fd);
}

}  // namespace
}  // namespace muralto::platform
