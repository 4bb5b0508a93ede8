#include "platform/SystemInfo.h"

#include <sys/auxv.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

/// Without the link to the running executable the program's folder is found from the path
/// it was started by; the working directory, the home folder of a program a desktop started,
/// is never taken for it.
TEST(SystemInfoTest, WithoutTheExecutableLinkTheProgramsFolderIsNotTheWorkingDirectory) {
    const char* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    if (!started || started[0] != '/')
        GTEST_SKIP() << "started by a relative path; run the test by its full path";
    const test::TempDir elsewhere;
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere.path());
    LinuxSystemInfo info((elsewhere.path() / "no such link").string());
    const std::string folder = info.programDirectory();
    const std::string name = info.programFileName();
    fs::current_path(before);
    EXPECT_EQ(folder, fs::canonical(started).parent_path().string());
    EXPECT_EQ(name, fs::path(started).filename().string());
}

}  // namespace
}  // namespace muralto::platform
