#include <gtest/gtest.h>

#include "tests/app/TestServices.h"

namespace muralto::app {
namespace {

using Paths = std::vector<std::string>;

class ProgramTest : public testing::Test {
protected:
    Program::Outcome run(std::vector<std::string> args) {
        program_ = std::make_unique<Program>(host.services());
        return program_->Main(parseCommandLine(args, nullptr));
    }

    test::TestServices host;
    std::unique_ptr<Program> program_;
};

TEST_F(ProgramTest, PasswordChangeEndsAtOnceAndWritesNothing) {
    EXPECT_EQ(run({"/a", "1234"}), Program::Outcome::EndNow);
    EXPECT_FALSE(std::filesystem::exists(host.temp.hivePath));
    EXPECT_TRUE(host.boxes.asked.empty());
    EXPECT_EQ(host.random.seeds, 0);
}

/// Only the wallpaper mode asks whether to become the default saver, and only until it has
/// been asked: AskDefSS "1" records it, whatever the answer; anything else asks again.
TEST(DefaultSaverQuestion, TheWallpaperModeAsksOnce) {
    struct Case {
        std::vector<std::string> args;
        const char* before;  // AskDefSS before the start, or nothing
        bool yes, asks;
        const char* after;
    };
    for (const Case& c : {Case{{}, nullptr, true, true, "1"}, Case{{}, nullptr, false, true, "1"},
                          Case{{}, "0", false, true, "1"}, Case{{"/S"}, "1", true, false, "1"},
                          Case{{"/s"}, nullptr, true, false, "<missing>"},
                          Case{{"/c"}, nullptr, true, false, "<missing>"},
                          Case{{"/p 5"}, nullptr, true, false, "<missing>"}}) {
        SCOPED_TRACE((c.args.empty() ? "" : c.args[0]) + " " + (c.before ? c.before : "-"));
        test::TestServices host;
        if (c.before)
            host.store("AskDefSS", c.before);
        host.boxes.answers = {c.yes ? platform::MessageBoxes::Answer::Yes
                                    : platform::MessageBoxes::Answer::No};
        Program(host.services()).Main(parseCommandLine(c.args, nullptr));
        EXPECT_EQ(host.boxes.asked.size(), c.asks ? 1u : 0u);
        const Paths installed{"/opt/muralto/muralto"};
        EXPECT_EQ(host.installer.installed, c.asks && c.yes ? installed : Paths{});
        EXPECT_EQ(host.stored("AskDefSS"), c.after);
    }
}

TEST_F(ProgramTest, StartLoadsTheSettingsAndTheDefaultFileTypes) {
    host.store("Delay", "90");
    run({"/c"});
    EXPECT_EQ(program_->runMode(), settings::RunMode::Options);
    EXPECT_TRUE(program_->gbSaverPage);
    EXPECT_EQ(program_->DefaultFileTypes, host.strings.LoadResString(2001));
    EXPECT_EQ(program_->settings().WallpaperSettings.Delay, 90);
    EXPECT_EQ(program_->settings().WallpaperSettings.Path, "/opt/muralto/");
    EXPECT_EQ(host.random.seeds, 1);
}

}  // namespace
}  // namespace muralto::app
