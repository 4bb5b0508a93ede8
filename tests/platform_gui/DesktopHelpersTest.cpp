#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "platform/gui/BitmapCopies.h"
#include "platform/gui/DesktopTextFormats.h"
#include "platform/gui/Processes.h"
#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

TEST(QProcessRunner, PassesArgumentsUnsplitAndReportsFailures) {
    QProcessRunner runner;
    const auto printed = runner.run("printf", {"%s|", "a b", "$HOME;x", "'q'"});
    EXPECT_TRUE(printed.ran && printed.exitCode == 0) << printed.failure;
    EXPECT_EQ(printed.output, "a b|$HOME;x|'q'|");
    // A tool that hangs (pcmanfm on its own error window) is killed, and that is a failure.
    const auto hanging = QProcessRunner(200).run("sleep", {"60"});
    EXPECT_FALSE(hanging.ran);
    EXPECT_EQ(hanging.failure, "did not end within 200 ms and was killed");
}

TEST(ParseGVariantString, ReadsWhatGsettingsPrints) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"'file:///home/j/a.bmp'\n", "file:///home/j/a.bmp"},
        {"\"/home/j/it's.bmp\"", "/home/j/it's.bmp"},
        {R"('a\'b\\c\nd\te')", "a'b\\c\nd\te"},
        {R"('\u00e9\U0001F600')", "\xC3\xA9\xF0\x9F\x98\x80"},
        {"''", ""},
        {"@as []", std::nullopt},
        {"'abc\"", std::nullopt},
        {R"('abc\')", std::nullopt},
        {R"('\u00')", std::nullopt},
    };
    for (const auto& [printed, value] : cases)
        EXPECT_EQ(parseGVariantString(printed), value) << printed;
}

TEST(WithIniValue, SetsOneKeyAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "[Desktop]\nBgColor=#000000\n"},
        {"[Other]\nBgColor=#fff\n[Desktop]\nBgColor = #123\nA=1\n",
         "[Other]\nBgColor=#fff\n[Desktop]\nBgColor=#000000\nA=1\n"},
        {"[Desktop]\nA=1\n\n[Next]\nB=2\n", "[Desktop]\nA=1\nBgColor=#000000\n\n[Next]\nB=2\n"},
        {"[Other]\nA=1", "[Other]\nA=1\n\n[Desktop]\nBgColor=#000000\n"},
        {"[Desktop]\nBgColorX=1\n", "[Desktop]\nBgColorX=1\nBgColor=#000000\n"},
    };
    for (const auto& [before, after] : cases)
        EXPECT_EQ(withIniValue(before, "Desktop", "BgColor", "#000000"), after) << before;
}

TEST(MakeFreshCopy, NumbersOnFromTheHighestCopyAndKeepsOnlyTheNewestTwo) {
    test::TempDir dir;
    const auto bitmap = dir.write("jdoe.bmp", "").string();
    // Old copies, then names that are no copy of this bitmap (one is another user's): they stay.
    for (const char* name : {"jdoe~3.bmp", "jdoe~41.bmp", "jdoe~7.bmp", "jdoe-1.bmp", "jdoe~x.bmp",
                             "jdoe~2.png", "ann~1.bmp"})
        dir.write(name, "old");
    for (const char* content : {"first", "second"}) {
        dir.write("jdoe.bmp", content);
        const auto copy = makeFreshCopy(bitmap);
        ASSERT_TRUE(copy);
        EXPECT_EQ(test::readFile(*copy), content);
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"jdoe.bmp", "jdoe~42.bmp", "jdoe~43.bmp", "jdoe-1.bmp",
                                            "jdoe~x.bmp", "jdoe~2.png", "ann~1.bmp"}));
}

TEST(RunsThisExecutable, ComparesTheExecutables) {
    const std::pair<const char*, bool> cases[] = {
        // where process 42's exe link points; empty: no such process
        {"bin/muralto", true},
        {"elsewhere/muralto", false},
        // An upgrade replaced the program; the earlier instance still runs the old file.
        {"bin/muralto (deleted)", true},
        {"", false},
    };
    for (const auto& [target, same] : cases) {
        test::TempDir dir;
        const fs::path root = dir.path();
        for (const char* file : {"bin/muralto", "elsewhere/muralto", "bin/muralto (deleted)"})
            dir.write(file, file);
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
