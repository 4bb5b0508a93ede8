#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/WorkingSet.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr std::size_t kPages = 16;

/// The resident kB of this process's mapping that starts at start; -1 when there is none.
long residentKb(const void* start) {
    std::ifstream smaps("/proc/self/smaps");
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    std::string line;
    bool inMapping = false;
    while (std::getline(smaps, line)) {
        if (line.find('-') < line.find(' ') && line.find(':') > line.find(' ')) {
            inMapping = std::strtoull(line.c_str(), nullptr, 16) == address;
        } else if (inMapping && line.starts_with("Rss:")) {
            return std::strtol(line.c_str() + 4, nullptr, 10);
        }
    }
    return -1;
}

// A clean read-only copy of a file is let go and reads the same after; one whose pages the
// program changed (as relocated data is) keeps them, changes and all.
TEST(TrimWorkingSet, LetsGoOfUnchangedFilePagesOnly) {
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    const test::TempDir dir;
    const std::string path = dir.write("pages", std::string(kPages * page, 'x')).string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (const bool changed : {false, true}) {
        const int protection = changed ? PROT_READ | PROT_WRITE : PROT_READ;
        auto* bytes =
            static_cast<char*>(::mmap(nullptr, kPages * page, protection, MAP_PRIVATE, fd, 0));
        ASSERT_NE(bytes, MAP_FAILED);
        long sum = 0;
        for (std::size_t i = 0; i < kPages; ++i)
            sum += bytes[i * page];
        if (changed) {
            bytes[0] = 'y';
            ASSERT_EQ(::mprotect(bytes, kPages * page, PROT_READ), 0);
        }
        ASSERT_GT(residentKb(bytes), 0) << sum;

        TrimWorkingSet();
        EXPECT_EQ(residentKb(bytes) > 0, changed);
        EXPECT_EQ(bytes[0], changed ? 'y' : 'x');
        EXPECT_EQ(bytes[kPages * page - 1], 'x');
        ::munmap(bytes, kPages * page);
    }
    ::close(fd);
}

}  // namespace
}  // namespace muralto::platform
