#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "settings/RegistryTools.h"
#include "tests/support/TempHive.h"

namespace muralto::settings {

using platform::kProgramTitle;

namespace {

class RegistryToolsTest : public testing::Test, protected test::TempHive {
protected:
    std::string get(std::string_view name) {
        return tools.GetINIValue(kProgramTitle, "Settings", name, "<default>");
    }
    void put(std::string_view name, std::string_view text, bool currentUser = true) {
        tools.PutINIValue(kProgramTitle, "Settings", name, text, currentUser);
    }
    std::vector<std::string> shownTexts() {
        std::vector<std::string> texts;
        for (const auto& box : boxes.shown) {
            EXPECT_EQ(box.title, "Error accessing registry");
            texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(RegistryToolsTest, BuildKeyPathAddsCompanyAndApplication) {
    struct Case {
        std::string app, section, path;
    };
    for (const Case& c :
         {Case{"Muralto", "Settings\\", "Software\\Brenwick\\Muralto\\Settings"},
          Case{"  ", "Settings", "Software\\Brenwick\\Muralto\\Settings"},
          Case{" Other ", "Windows\\frmMuralto", "Software\\Brenwick\\Other\\Windows\\frmMuralto"},
          Case{"Muralto", "\\Software\\Other\\", "Software\\Other"}}) {
        EXPECT_EQ(tools.BuildKeyPath(c.app, c.section), c.path) << c.section;
    }
}

TEST_F(RegistryToolsTest, ReadsGiveTheStoredTextOrTheDefault) {
    EXPECT_EQ(get("Delay"), "<default>");  // no key at all
    put("Delay", "90");
    EXPECT_EQ(get("Other"), "<default>");  // key without that value
    EXPECT_EQ(get("DELAY"), "90");
    put("Nul", std::string("up to\0here", 10));
    EXPECT_EQ(get("Nul"), "up to");
    put("Long254", std::string(254, 'x'));
    put("Long255", std::string(255, 'x'));
    EXPECT_EQ(get("Long254"), std::string(254, 'x'));
    EXPECT_EQ(get("Long255"), "<default>");
    EXPECT_TRUE(boxes.shown.empty());

    tools.GetINIValue(kProgramTitle, "Settings", "Long255", "d", 255, true, /*showErrors=*/true);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{std::strerror(EOVERFLOW)});
}

TEST_F(RegistryToolsTest, FailedWritesShowTheSystemTextOncePerCauseWhileQuiet) {
    std::filesystem::create_directories(hivePath);
    put("Delay", "60");
    EXPECT_EQ(get("Delay"), "<default>");  // reads that fail stay silent
    {
        const RegistryTools::QuietRepeats quiet(tools);
        for (const char* name : {"Delay", "Path"}) {
            put(name, "1");
            put(name, "1", /*currentUser=*/false);
        }
    }
    put("Delay", "60");  // afterwards every failure is shown again
    const std::string isDir = std::strerror(EISDIR);
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{isDir, isDir, std::strerror(EACCES), isDir}));
}

TEST_F(RegistryToolsTest, EnumKeysListsSubKeysAfterAnEmptyFirstElement) {
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), ENOENT);
    EXPECT_EQ(names, std::vector<std::string>{""});

    for (const char* group : {"comp.b", "Alt.A", "alt.c"})
        store(std::string("Settings\\Newsgroups\\") + group, "Name", group);
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "alt.c", "comp.b"}));

    EXPECT_EQ(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups\\alt.c"), 0);
    EXPECT_NE(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups"), 0);  // still has sub-keys
    tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "comp.b"}));
}

}  // namespace
}  // namespace muralto::settings
