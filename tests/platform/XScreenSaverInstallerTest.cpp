#include <gtest/gtest.h>

#include <optional>

#include "platform/XScreenSaverInstaller.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr const char* kProgram = "/opt/muralto/muralto";

struct ConfigCase {
    const char* name;
    std::string before, after;
};

class WithProgramSelected : public testing::TestWithParam<ConfigCase> {};

TEST_P(WithProgramSelected, EnablesAndSelectsTheEntryKeepingEveryOtherLine) {
    const std::string result =
        XScreenSaverInstaller::withProgramSelected(GetParam().before, kProgram);
    EXPECT_EQ(result, GetParam().after);
    // Installing again finds the entry and changes nothing more.
    EXPECT_EQ(XScreenSaverInstaller::withProgramSelected(result, kProgram), result);
}

const std::string kOurs = "\t\t\t\t/opt/muralto/muralto -root\t\t\t\t    \\n";

INSTANTIATE_TEST_SUITE_P(
    Files, WithProgramSelected,
    testing::Values(
        ConfigCase{
            "list_below_header",
            "mode:\t\trandom\nselected:\t4\nprograms:\t\t\\\n\t\tmaze -root\t\\n\\\n"
            "  -\t\txjack -root\t\\n\\\n  GL: \t\tgears -root\t\\n\n\npointerHysteresis: 10\n",
            "mode:\t\tone\nselected:\t\t0\nprograms:\t\t\\\n" + kOurs + "\\\n" +
                "\t\tmaze -root\t\\n\\\n  -\t\txjack -root\t\\n\\\n  GL: \t\tgears -root\t\\n\n"
                "\npointerHysteresis: 10\n"},
        ConfigCase{"disabled_entry",
                   "programs:\t\\\n  maze -root \\n\\\n  -  \"Muralto\" muralto -root \\n\n",
                   "programs:\t\\\n  maze -root \\n\\\n     \"Muralto\" muralto -root \\n\n"
                   "selected:\t\t1\nmode:\t\tone\n"},
        // The app defaults spell "*programs:"; the daemon reads only "programs:" from this file.
        ConfigCase{"first_entry_on_header", "*programs:\tmaze -root \\n\\\n\txjack -root \\n\n",
                   "programs:\t\t\\\n" + kOurs +
                       "\\\n\t\t\t\tmaze -root \\n\\\n\txjack -root \\n\n"
                       "selected:\t\t0\nmode:\t\tone\n"},
        ConfigCase{
            "no_list", "timeout: 0:10:00\n",
            "timeout: 0:10:00\nprograms:\t\t\\\n" + kOurs + "\nselected:\t\t0\nmode:\t\tone\n"}),
    test::byName);

struct CommandCase {
    const char* name;
    std::string programPath;
    std::optional<std::string> command;  ///< the entry's command; none when no entry can hold it
};

class SaverCommand : public testing::TestWithParam<CommandCase> {};

// The daemon hands a command with characters the shell reads to /bin/sh; it takes what comes
// before a first colon for a visual's name, unless a name in double quotes comes first; it
// reads backslashes in its file as escapes.
TEST_P(SaverCommand, TheDaemonRunsTheProgramAndInstallingAgainFindsTheEntry) {
    const auto& row = GetParam();
    EXPECT_EQ(XScreenSaverInstaller::saverCommand(row.programPath), row.command);
    const std::string before = "programs:\t\\\n\t\tmaze -root \\n\n";
    const std::string once = XScreenSaverInstaller::withProgramSelected(before, row.programPath);
    if (!row.command) {
        EXPECT_EQ(once, before);
        return;
    }
    EXPECT_NE(once.find("\t" + *row.command + "\t"), std::string::npos) << once;
    EXPECT_EQ(XScreenSaverInstaller::withProgramSelected(once, row.programPath), once);
    // Disabled by the user, it is found and enabled again rather than added twice.
    std::string disabled = once;
    disabled.insert(disabled.find(*row.command), "- ");
    EXPECT_EQ(
        XScreenSaverInstaller::withProgramSelected(disabled, row.programPath),
        once.substr(0, once.find(*row.command)) + "  " + once.substr(once.find(*row.command)));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SaverCommand,
    testing::Values(CommandCase{"plain", "/opt/muralto-1.2/bin/muralto",
                                "/opt/muralto-1.2/bin/muralto -root"},
                    CommandCase{"colon_and_blank", "/srv/a:b c/muralto",
                                "\"muralto\" '/srv/a:b c/muralto' -root"},
                    CommandCase{"single_quote", "/home/jo/it's/muralto",
                                "\"muralto\" '/home/jo/it'\"'\"'s/muralto' -root"},
                    CommandCase{"backslash", "/home/jo/a\\nb/muralto", std::nullopt},
                    CommandCase{"empty", "", std::nullopt}),
    test::byName);

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
