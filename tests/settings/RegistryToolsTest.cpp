#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/HiveFile.h"
#include "platform/ProgramIdentity.h"
#include "settings/RegistryTools.h"
#include "tests/support/TempHive.h"
#include "tests/support/TestSupport.h"

namespace muralto::settings {

using platform::kProgramTitle;

namespace {

class RegistryToolsTest : public testing::Test, protected test::TempHive {
protected:
    std::string get(std::string_view section, std::string_view name) {
        return tools.GetINIValue(kProgramTitle, section, name, "<default>");
    }
};

TEST(TakeTokenTest, SplitsAtTheFirstDelimiter) {
    struct Case {
        std::string source, delimiter, token, rest;
    };
    for (const Case& c :
         {Case{"a\r\nb", "\r\n", "a", "b"}, Case{"abc", "\r\n", "abc", ""}, Case{"", ";", "", ""},
          Case{"a;b;c", ";", "a", "b;c"}, Case{";x", ";", "", "x"},
          Case{std::string("v\0w", 3), {"\0", 1}, "v", "w"}}) {
        std::string source = c.source;
        EXPECT_EQ(TakeToken(source, c.delimiter), c.token);
        EXPECT_EQ(source, c.rest);
    }
}

TEST_F(RegistryToolsTest, BuildKeyPathAddsCompanyAndApplication) {
    struct Case {
        std::string app, section, path;
    };
    for (const Case& c :
         {Case{"Muralto", "Settings", "Software\\Brenwick\\Muralto\\Settings"},
          Case{"Muralto", "Settings\\", "Software\\Brenwick\\Muralto\\Settings"},
          Case{"  ", "Settings", "Software\\Brenwick\\Muralto\\Settings"},
          Case{" Other ", "Windows\\frmMuralto", "Software\\Brenwick\\Other\\Windows\\frmMuralto"},
          Case{"Muralto", "\\Software\\Other\\", "Software\\Other"},
          Case{"Muralto", "", "Software\\Brenwick\\Muralto"}}) {
        EXPECT_EQ(tools.BuildKeyPath(c.app, c.section), c.path) << c.section;
    }
}

TEST_F(RegistryToolsTest, ReadsGiveTheStoredTextOrTheDefault) {
    EXPECT_EQ(get("Settings", "Delay"), "<default>");  // no key at all
    tools.PutINIValue(kProgramTitle, "Settings", "Delay", "90");
    EXPECT_EQ(get("Settings", "Other"), "<default>");  // key without that value
    EXPECT_EQ(get("Settings\\", "DELAY"), "90");

    tools.PutINIValue(kProgramTitle, "Settings", "Nul", std::string("up to\0here", 10));
    EXPECT_EQ(get("Settings", "Nul"), "up to");

    tools.PutINIValue(kProgramTitle, "Settings", "Long254", std::string(254, 'x'));
    tools.PutINIValue(kProgramTitle, "Settings", "Long255", std::string(255, 'x'));
    EXPECT_EQ(get("Settings", "Long254"), std::string(254, 'x'));
    EXPECT_EQ(get("Settings", "Long255"), "<default>");
    EXPECT_TRUE(boxes.shown.empty());

    tools.GetINIValue(kProgramTitle, "Settings", "Long255", "d", 255, true, /*showErrors=*/true);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Error accessing registry");
    EXPECT_EQ(boxes.shown[0].text, std::strerror(EOVERFLOW));
}

TEST_F(RegistryToolsTest, AFailedWriteShowsTheSystemTextAndTheProgramGoesOn) {
    std::filesystem::create_directories(hivePath);
    tools.PutINIValue(kProgramTitle, "Settings", "Delay", "60");
    tools.PutINIValue(kProgramTitle, "Settings", "Path", "/x");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].title, "Error accessing registry");
    EXPECT_EQ(boxes.shown[0].text, std::strerror(EISDIR));
    EXPECT_EQ(get("Settings", "Delay"), "<default>");
    EXPECT_TRUE(boxes.shown.size() == 2u);  // reads that fail stay silent

    tools.PutINIValue(kProgramTitle, "Settings", "Delay", "60", /*currentUser=*/false);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[2].text, std::strerror(EACCES));
}

TEST_F(RegistryToolsTest, QuietRepeatsShowEachCauseOnceWhileTheyLast) {
    std::filesystem::create_directories(hivePath);
    {
        const RegistryTools::QuietRepeats quiet(tools);
        for (const char* name : {"Delay", "Path", "Scale"})
            tools.PutINIValue(kProgramTitle, "Settings", name, "1");
        tools.PutINIValue(kProgramTitle, "Settings", "Delay", "60", /*currentUser=*/false);
        tools.PutINIValue(kProgramTitle, "Settings", "Path", "/x", /*currentUser=*/false);
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, std::strerror(EISDIR));
    EXPECT_EQ(boxes.shown[1].text, std::strerror(EACCES));

    tools.PutINIValue(kProgramTitle, "Settings", "Delay", "60");
    EXPECT_EQ(boxes.shown.size(), 3u);  // afterwards every failure is shown again
}

TEST_F(RegistryToolsTest, EnumKeysListsSubKeysAfterAnEmptyFirstElement) {
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), ENOENT);
    EXPECT_EQ(names, std::vector<std::string>{""});

    for (const char* group : {"comp.b", "Alt.A", "alt.c"}) {
        tools.PutINIValue(kProgramTitle, std::string("Settings\\Newsgroups\\") + group, "Name",
                          group);
    }
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "alt.c", "comp.b"}));

    EXPECT_EQ(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups\\alt.c"), 0);
    EXPECT_NE(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups\\alt.c"), 0);
    EXPECT_NE(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups"), 0);  // still has sub-keys
    tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "comp.b"}));
}

TEST_F(RegistryToolsTest, BrokenHivesReadAsDefaultsAndTheNextWriteWorks) {
    const std::vector<std::string> hives = {
        "",
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Brenwick\\Mur",
        std::string("\0\x01\xff\xfe\x80garbage\n[[[", 13),
        "\xc3\x28\xa0\xa1 not UTF-8 at all\n",
    };
    for (const std::string& bytes : hives) {
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        dir.write("HKCU.reg", bytes);
        EXPECT_EQ(get("Settings", "Delay"), "<default>");
        tools.PutINIValue(kProgramTitle, "Settings", "Delay", "30");
        EXPECT_EQ(get("Settings", "Delay"), "30");
        EXPECT_TRUE(boxes.shown.empty());
    }
}

}  // namespace
}  // namespace muralto::settings
