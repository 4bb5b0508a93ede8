#include <gtest/gtest.h>

#include "platform/gui/Processes.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

TEST(QProcessRunner, PassesArgumentsUnsplitAndReportsFailures) {
    QProcessRunner runner;
    const auto printed = runner.run("printf", {"%s|", "a b", "$HOME;x", "'q'"});
    EXPECT_TRUE(printed.ran && printed.exitCode == 0) << printed.failure;
    EXPECT_EQ(printed.output, "a b|$HOME;x|'q'|");
    const auto missing = runner.run("muralto-no-such-tool", {});
    EXPECT_TRUE(!missing.ran && !missing.failure.empty());
    const auto failing = runner.run("ls", {"/muralto/no/such/folder"});
    EXPECT_TRUE(failing.ran && failing.exitCode != 0 && !failing.errorOutput.empty());
    // A tool that hangs (pcmanfm on its own error window) is killed, and that is a failure.
    const auto hanging = QProcessRunner(200).run("sleep", {"60"});
    EXPECT_FALSE(hanging.ran);
    EXPECT_EQ(hanging.failure, "did not end within 200 ms and was killed");
}

// Only a desktop manager on our own display draws our desktop.
TEST(ProcProcessList, CountsOnlyProcessesOnTheProgramsDisplay) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {":1", std::string("HOME=/h\0DISPLAY=:1\0", 20), true},
        {":1", std::string("DISPLAY=:10\0", 12), false},
        {":1", std::string("XDISPLAY=:1\0", 13), false},
        {"", std::string("DISPLAY=:10\0", 12), true},  // we have no display
    };
    for (const auto& [ourDisplay, environment, listed] : cases) {
        test::TempDir proc;
        proc.write("4242/cmdline", std::string("pcmanfm\0--desktop\0", 18));
        proc.write("4242/environ", environment);
        const auto lines = ProcProcessList(ourDisplay, proc.path().string()).commandLines();
        EXPECT_EQ(lines.size(), listed ? 1u : 0u) << environment;
    }
}

}  // namespace
}  // namespace muralto::platform
