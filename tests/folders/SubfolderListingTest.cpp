#include "folders/SubfolderListing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::vector<Subfolder>& folders) {
    std::vector<std::string> result;
    for (const Subfolder& folder : folders)
        result.push_back(folder.name);
    return result;
}

TEST(InDisplayOrder, OrdersAsAUserExpects) {
    using Names = std::vector<std::string>;
    const std::pair<Names, Names> cases[] = {
        {{"b", "C", "a"}, {"a", "b", "C"}},
        {{"a", "A"}, {"A", "a"}},  // the same but for case: by bytes
        {{"img10", "img2", "img1", "img02x"}, {"img1", "img2", "img02x", "img10"}},
        {{"ezra", "\xc3\xa9lan", "eagle", "f"}, {"eagle", "\xc3\xa9lan", "ezra", "f"}},
        {{".b", "c", ".A", "a"}, {"a", "c", ".A", ".b"}},  // hidden after the others
    };
    for (const auto& [given, expected] : cases) {
        // The C locale names no language: it must still order by words and numbers.
        EXPECT_EQ(names(InDisplayOrder(given, QLocale::c())), expected);
        EXPECT_EQ(names(InDisplayOrder(given, QLocale(QLocale::German))), expected);
    }
}

TEST(DisplayName, ShowsTextAsTextAndOtherBytesByValue) {
    const std::pair<std::string, QString> cases[] = {
        {"caf\xc3\xa9 \xf0\x9f\x98\x80", QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80")},
        {"caf\xe9", "caf\\xE9"},
        {"a\xc3", "a\\xC3"},  // a cut-off sequence
        {"\xc3\xa9\x80\xc3\xa9", QString::fromUtf8("\xc3\xa9\\x80\xc3\xa9")},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(DisplayName(bytes), expected) << bytes;
}

TEST(ListSubfoldersTest, ListsFoldersAndLinksToFoldersOnly) {
    test::TempDir dir;
    const fs::path root = dir.path();
    for (const char* folder : {"pics/b", "pics/a", "elsewhere"})
        fs::create_directories(root / folder);
    dir.write("pics/photo.jpg", "x");
    fs::create_directory_symlink(root / "elsewhere", root / "pics/linked");
    fs::create_directory_symlink(root / "pics", root / "pics/self");  // one level only
    fs::create_directory_symlink(root / "pics/loop", root / "pics/loop");
    fs::create_symlink(root / "gone", root / "pics/dangling");
    fs::create_symlink(root / "pics/photo.jpg", root / "pics/photolink");
    EXPECT_EQ(names(ListSubfolders((root / "pics").string())),
              (std::vector<std::string>{"a", "b", "linked", "self"}));
    EXPECT_TRUE(ListSubfolders((root / "none").string()).empty());
    EXPECT_TRUE(ListSubfolders((root / "pics/photo.jpg").string()).empty());
}

TEST(ListSubfoldersTest, AFolderThatCannotBeReadListsNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any folder";
    test::TempDir dir;
    fs::create_directories(dir.path() / "locked/inner");
    fs::permissions(dir.path() / "locked", fs::perms::owner_exec);
    EXPECT_TRUE(ListSubfolders((dir.path() / "locked").string()).empty());
    fs::permissions(dir.path() / "locked", fs::perms::owner_all);
}

}  // namespace
}  // namespace muralto::imaging
