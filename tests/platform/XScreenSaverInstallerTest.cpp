#include <gtest/gtest.h>

#include <optional>

#include "platform/XScreenSaverInstaller.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr const char* kProgram = "/opt/muralto/muralto";

const std::string kOurs = "\t\t\t\t/opt/muralto/muralto -root\t\t\t\t    \\n";

TEST(WithProgramSelected, EnablesAndSelectsTheEntryKeepingEveryOtherLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"mode:\t\trandom\nselected:\t4\nprograms:\t\t\\\n\t\tmaze -root\t\\n\\\n"
         "  -\t\txjack -root\t\\n\\\n  GL: \t\tgears -root\t\\n\n\npointerHysteresis: 10\n",
         "mode:\t\tone\nselected:\t\t0\nprograms:\t\t\\\n" + kOurs + "\\\n" +
             "\t\tmaze -root\t\\n\\\n  -\t\txjack -root\t\\n\\\n  GL: \t\tgears -root\t\\n\n"
             "\npointerHysteresis: 10\n"},
        // our entry, disabled
        {"programs:\t\\\n  maze -root \\n\\\n  -  \"Muralto\" muralto -root \\n\n",
         "programs:\t\\\n  maze -root \\n\\\n     \"Muralto\" muralto -root \\n\n"
         "selected:\t\t1\nmode:\t\tone\n"},
        // The app defaults spell "*programs:"; the daemon reads only "programs:" from this file.
        {"*programs:\tmaze -root \\n\\\n\txjack -root \\n\n",
         "programs:\t\t\\\n" + kOurs +
             "\\\n\t\t\t\tmaze -root \\n\\\n\txjack -root \\n\nselected:\t\t0\nmode:\t\tone\n"},
        {"timeout: 0:10:00\n",
         "timeout: 0:10:00\nprograms:\t\t\\\n" + kOurs + "\nselected:\t\t0\nmode:\t\tone\n"},
    };
    for (const auto& [before, after] : cases) {
        const std::string result = XScreenSaverInstaller::withProgramSelected(before, kProgram);
        EXPECT_EQ(result, after);
        // Installing again finds the entry and changes nothing more.
        EXPECT_EQ(XScreenSaverInstaller::withProgramSelected(result, kProgram), result);
    }
}

// The daemon hands a command with characters the shell reads to /bin/sh; it takes what comes
// before a first colon for a visual's name, unless a name in double quotes comes first; it
// reads backslashes in its file as escapes.
TEST(SaverCommand, TheDaemonRunsTheProgramAndInstallingAgainFindsTheEntry) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/opt/muralto-1.2/bin/muralto", "/opt/muralto-1.2/bin/muralto -root"},
        {"/srv/a:b c/muralto", "\"muralto\" '/srv/a:b c/muralto' -root"},
        {"/home/jo/it's/muralto", "\"muralto\" '/home/jo/it'\"'\"'s/muralto' -root"},
        {"/home/jo/a\\nb/muralto", std::nullopt},  // no entry can hold it
    };
    const std::string before = "programs:\t\\\n\t\tmaze -root \\n\n";
    for (const auto& [path, command] : cases) {
        EXPECT_EQ(XScreenSaverInstaller::saverCommand(path), command);
        const std::string once = XScreenSaverInstaller::withProgramSelected(before, path);
        if (!command) {
            EXPECT_EQ(once, before);
            continue;
        }
        const auto at = once.find("\t" + *command + "\t");
        ASSERT_NE(at, std::string::npos) << once;
        EXPECT_EQ(XScreenSaverInstaller::withProgramSelected(once, path), once);
    }
}

/// Where xscreensaver is not in use nothing is written; a configuration linked in from
/// elsewhere is changed where it lives, keeping its mode.
TEST(XScreenSaverInstallerTest, WritesOnlyWhereXScreenSaverIsInUseAndKeepsALink) {
    test::TempDir dir;
    const auto launcher = [](const std::string&, const std::vector<std::string>&) { return true; };
    const XScreenSaverInstaller::Paths paths{dir.path() / ".xscreensaver", dir.path() / "defaults"};
    XScreenSaverInstaller(
        paths, [](const std::string&) { return std::string(); }, launcher)
        .install(kProgram);
    EXPECT_FALSE(std::filesystem::exists(paths.userFile));

    using enum std::filesystem::perms;
    const auto kept = dir.write("dotfiles/xscreensaver", "programs:\t\\\n\tmaze -root \\n\n");
    std::filesystem::permissions(kept, owner_read | owner_write);
    std::filesystem::create_symlink(kept, paths.userFile);
    XScreenSaverInstaller(
        paths, [](const std::string& p) { return "/usr/bin/" + p; }, launcher)
        .install(kProgram);
    EXPECT_TRUE(std::filesystem::is_symlink(paths.userFile));
    EXPECT_NE(test::readFile(kept).find("/opt/muralto/muralto -root"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(kept).permissions() & all, owner_read | owner_write);
}

}  // namespace
}  // namespace muralto::platform
