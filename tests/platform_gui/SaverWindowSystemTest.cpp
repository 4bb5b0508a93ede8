// Whether another process runs this program, decided from a folder laid out as /proc is.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

TEST(RunsThisExecutable, ComparesTheExecutables) {
    const std::pair<const char*, bool> cases[] = {
        // where process 42's exe link points; empty: no such process
        {"bin/muralto", true},
        {"alias/muralto", true},
        {"elsewhere/muralto", false},
        // An upgrade replaced the program; the earlier instance still runs the old file.
        {"bin/muralto (deleted)", true},
        {"elsewhere/muralto (deleted)", false},
        {"", false},
    };
    for (const auto& [target, same] : cases) {
        test::TempDir dir;
        const fs::path root = dir.path();
        for (const char* file : {"bin/muralto", "elsewhere/muralto", "bin/muralto (deleted)",
                                 "elsewhere/muralto (deleted)"})
            dir.write(file, file);
        fs::create_directory_symlink(root / "bin", root / "alias");
        for (const auto& [pid, to] : {std::pair{"self", "bin/muralto"}, {"42", target}}) {
            fs::create_directories(root / "proc" / pid);
            if (*to)
                fs::create_symlink(root / to, root / "proc" / pid / "exe");
        }
        EXPECT_EQ(runsThisExecutable(42, (root / "proc").string()), same) << target;
    }
    EXPECT_TRUE(runsThisExecutable(getpid()));
    EXPECT_FALSE(runsThisExecutable(0));
}

}  // namespace
}  // namespace muralto::platform
