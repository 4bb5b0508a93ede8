// Whether another process runs this program, decided from a folder laid out as /proc is.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

struct ExecutableCase {
    const char* name;
    /// Where process 42's exe link points, below the folder; empty: no such process.
    const char* target;
    bool same;
};

const ExecutableCase kCases[] = {
    {"SameFile", "bin/muralto", true},
    {"SameFileByAnotherLink", "alias/muralto", true},
    {"AnotherProgram", "bin/sleep", false},
    {"AnotherProgramOfTheSameName", "elsewhere/muralto", false},
    // An upgrade replaced the program; the earlier instance still runs the old file.
    {"ReplacedProgramAtTheSamePath", "bin/muralto (deleted)", true},
    {"ReplacedProgramElsewhere", "elsewhere/muralto (deleted)", false},
    {"NoSuchProcess", "", false},
};

class RunsThisExecutableTest : public testing::TestWithParam<ExecutableCase> {
protected:
    void SetUp() override {
        for (const char* file : {"bin/muralto", "bin/sleep", "elsewhere/muralto",
                                 "bin/muralto (deleted)", "elsewhere/muralto (deleted)"}) {
            dir_.write(file, file);
        }
        fs::create_directory_symlink(root() / "bin", root() / "alias");
        link("self", "bin/muralto");
    }

    fs::path root() const { return dir_.path(); }

    void link(const std::string& pid, const std::string& target) {
        fs::create_directories(root() / "proc" / pid);
        fs::create_symlink(root() / target, root() / "proc" / pid / "exe");
    }

    test::TempDir dir_;
};

TEST_P(RunsThisExecutableTest, ComparesTheExecutables) {
    if (*GetParam().target)
        link("42", GetParam().target);
    EXPECT_EQ(runsThisExecutable(42, (root() / "proc").string()), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(Processes, RunsThisExecutableTest, testing::ValuesIn(kCases),
                         test::byName);

TEST(RunsThisExecutable, TheRealProcFileSystem) {
    EXPECT_TRUE(runsThisExecutable(getpid()));
    EXPECT_FALSE(runsThisExecutable(0));
    EXPECT_FALSE(runsThisExecutable(-1));
}

}  // namespace
}  // namespace muralto::platform
