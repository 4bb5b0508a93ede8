#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "FakeProcessRunner.h"
#include "TestSupport.h"
#include "WallpaperTools.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(FreshCopy, NumbersCopiesAndKeepsOnlyTheNewestTwo) {
    test::TempDir dir;
    const auto bitmap = dir.write("jdoe.bmp", "first").string();
    // Neighbours that are not copies of this bitmap: another user's bitmap and odd names.
    dir.write("jdoe-1.bmp", "other user");
    dir.write("jdoe~x.bmp", "not numbered");
    dir.write("jdoe~2.png", "other extension");
    dir.write("ann~1.bmp", "another user's copy");

    std::string error;
    for (const char* content : {"first", "second", "third"}) {
        dir.write("jdoe.bmp", content);
        const auto copy = makeFreshCopy(bitmap, &error);
        ASSERT_TRUE(copy) << error;
        EXPECT_EQ(test::readFile(*copy), content);
    }
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"jdoe.bmp", "jdoe~2.bmp", "jdoe~3.bmp", "jdoe-1.bmp",
                                     "jdoe~x.bmp", "jdoe~2.png", "ann~1.bmp"}));
    EXPECT_EQ(test::readFile(dir.path() / "jdoe~3.bmp"), "third");
}

TEST(FreshCopy, ContinuesAfterTheHighestNumberFound) {
    test::TempDir dir;
    const auto bitmap = dir.write("No Logged In User.bmp", "now").string();
    for (const char* old :
         {"No Logged In User~3.bmp", "No Logged In User~41.bmp", "No Logged In User~7.bmp"}) {
        dir.write(old, "old");
    }
    const auto copy = makeFreshCopy(bitmap, nullptr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(fs::path(*copy).filename(), "No Logged In User~42.bmp");
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"No Logged In User.bmp", "No Logged In User~41.bmp",
                                     "No Logged In User~42.bmp"}));
}

TEST(FreshCopy, MissingBitmapGivesAnErrorAndNoCopy) {
    test::TempDir dir;
    const auto bitmap = (dir.path() / "gone.bmp").string();
    std::string error;
    EXPECT_FALSE(makeFreshCopy(bitmap, &error));
    EXPECT_NE(error.find(bitmap), std::string::npos) << error;
    EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST(FileUri, EncodesEveryByteOutsideTheUnreservedSet) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/jdoe/jdoe.bmp", "file:///home/jdoe/jdoe.bmp"},
        {"/a b/c~1.bmp", "file:///a%20b/c~1.bmp"},
        {"/it's #1 100%/x.bmp", "file:///it%27s%20%231%20100%25/x.bmp"},
        {"/caf\xc3\xa9/\"q\".bmp", "file:///caf%C3%A9/%22q%22.bmp"},
        {"/raw\xff\x01/x.bmp", "file:///raw%FF%01/x.bmp"},
    };
    for (const auto& [path, uri] : cases)
        EXPECT_EQ(fileUri(path), uri) << path;
}

TEST(GvariantString, QuotesAndEscapes) {
    EXPECT_EQ(gvariantString("centered"), "'centered'");
    EXPECT_EQ(gvariantString("/it's/a\\b"), "'/it\\'s/a\\\\b'");
}

TEST(RunTool, ReportsWhyAToolFailed) {
    struct Case {
        ProcessResult result;
        bool succeeds;
        std::string error;
    };
    const Case cases[] = {
        {test::exited(0), true, ""},
        {test::notRun("could not be started (No such file or directory)"), false,
         "gsettings could not be started (No such file or directory)"},
        {test::exited(1, "", "\n  No such schema \xe2\x80\x9cx\xe2\x80\x9d\nmore"), false,
         "gsettings failed with exit code 1: No such schema \xe2\x80\x9cx\xe2\x80\x9d"},
        {test::exited(4), false, "gsettings failed with exit code 4"},
    };
    for (const auto& c : cases) {
        test::FakeProcessRunner runner;
        runner.results.push_back(c.result);
        std::string error;
        EXPECT_EQ(runTool(runner, "gsettings", {"set"}, &error), c.succeeds) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

TEST(QProcessRunner, PassesArgumentsUnsplitAndReportsFailures) {
    QProcessRunner runner;
    const auto printed = runner.run("printf", {"%s|", "a b", "$HOME;x", "'q'"});
    ASSERT_TRUE(printed.ran) << printed.failure;
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.output, "a b|$HOME;x|'q'|");

    const auto missing = runner.run("muralto-no-such-tool", {});
    EXPECT_FALSE(missing.ran);
    EXPECT_FALSE(missing.failure.empty());

    const auto failing = runner.run("ls", {"/muralto/no/such/folder"});
    ASSERT_TRUE(failing.ran) << failing.failure;
    EXPECT_NE(failing.exitCode, 0);
    EXPECT_FALSE(failing.errorOutput.empty());
}

}  // namespace
}  // namespace muralto::platform
