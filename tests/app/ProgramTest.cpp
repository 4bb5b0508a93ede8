#include <gtest/gtest.h>

#include "Fakes.h"
#include "HiveFile.h"
#include "Program.h"
#include "TestSupport.h"

namespace muralto::app {
namespace {

class RecordingPasswords : public platform::PasswordServices {
public:
    void changePassword(const std::string& provider, long parent) override {
        calls.push_back(provider + " " + std::to_string(parent));
    }
    bool verifyPassword(unsigned long) override { return true; }
    std::vector<std::string> calls;
};

class RecordingInstaller : public platform::ScreenSaverInstaller {
public:
    void install(const std::string& path) override { installed.push_back(path); }
    std::vector<std::string> installed;
};

class ScriptedRandom : public platform::RandomSource {
public:
    double next() override { return 0.5; }
    void seedFromTimeOfDay() override { ++seeds; }
    int seeds = 0;
};

class ProgramTest : public testing::Test, protected test::TempRegistry {
protected:
    test::FakeMessageBoxes boxes;
    test::FakeSystemInfo system;
    RecordingPasswords passwords;
    ScriptedRandom random;
    RecordingInstaller installer;
    i18n::StringTable strings{i18n::Language::EnGB};

    Program::Outcome run(std::vector<std::string> args, Program** keep = nullptr) {
        program_ = std::make_unique<Program>(
            Services{registry, boxes, system, passwords, random, installer, strings});
        if (keep)
            *keep = program_.get();
        return program_->Main(parseCommandLine(args, nullptr));
    }
    std::string stored(std::string_view name) {
        settings::RegistryTools tools(registry, boxes);
        return tools.GetINIValue("Muralto", "Settings", name, "<missing>");
    }

    std::unique_ptr<Program> program_;
};

TEST_F(ProgramTest, PasswordChangeEndsAtOnceAndWritesNothing) {
    EXPECT_EQ(run({"/a", "1234"}), Program::Outcome::EndNow);
    EXPECT_TRUE(passwords.calls.empty());  // Linux counts as the NT family
    EXPECT_FALSE(std::filesystem::exists(hivePath));
    EXPECT_TRUE(boxes.asked.empty());

    system.winNT = false;
    EXPECT_EQ(run({"/a", "1234"}), Program::Outcome::EndNow);
    EXPECT_EQ(passwords.calls, std::vector<std::string>{"SCRSAVE 1234"});
    EXPECT_FALSE(std::filesystem::exists(hivePath));
    EXPECT_EQ(random.seeds, 0);
}

TEST_F(ProgramTest, WallpaperModeAsksOnceWhetherToBecomeTheDefaultSaver) {
    boxes.answers = {platform::MessageBoxes::Answer::Yes};
    EXPECT_EQ(run({}), Program::Outcome::Running);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].title, "Muralto");
    EXPECT_EQ(boxes.asked[0].text, "Do you wish to make Muraltor your default screen saver?");
    EXPECT_EQ(installer.installed, std::vector<std::string>{"/opt/muralto/muralto"});
    EXPECT_EQ(stored("AskDefSS"), "1");

    run({"/S"});  // not a switch: the wallpaper mode again, but the question was asked
    EXPECT_EQ(boxes.asked.size(), 1u);
}

TEST_F(ProgramTest, AnsweringNoAlsoRecordsTheQuestionAsAsked) {
    boxes.answers = {platform::MessageBoxes::Answer::No};
    run({});
    EXPECT_TRUE(installer.installed.empty());
    EXPECT_EQ(stored("AskDefSS"), "1");
}

TEST_F(ProgramTest, OnlyTheWallpaperModeAsks) {
    for (const char* sw : {"/s", "/c", "/p 5"}) {
        run({sw});
        EXPECT_TRUE(boxes.asked.empty()) << sw;
        EXPECT_EQ(stored("AskDefSS"), "<missing>") << sw;
    }
    settings::RegistryTools(registry, boxes).PutINIValue("Muralto", "Settings", "AskDefSS", "0");
    run({});
    EXPECT_EQ(boxes.asked.size(), 1u);  // anything but "1" asks again
}

TEST_F(ProgramTest, StartLoadsTheSettingsAndTheDefaultFileTypes) {
    settings::RegistryTools(registry, boxes).PutINIValue("Muralto", "Settings", "Delay", "90");
    Program* program = nullptr;
    run({"/c"}, &program);
    EXPECT_EQ(program->glRunMode, kOptionsMode);
    EXPECT_TRUE(program->gbSaverPage);
    EXPECT_EQ(program->DefaultFileTypes, "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;");
    EXPECT_EQ(program->settings().WallpaperSettings.Delay, 90);
    EXPECT_EQ(program->settings().SaverSettings.Delay, 90);
    EXPECT_EQ(program->settings().WallpaperSettings.Path, "/opt/muralto/");
    EXPECT_EQ(random.seeds, 1);
}

}  // namespace
}  // namespace muralto::app
