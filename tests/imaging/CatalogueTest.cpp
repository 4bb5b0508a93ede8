#include "Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "RandomSource.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

settings::ImageSettings withPath(std::string path, bool reScan = false) {
    return {true, std::move(path), 60, reScan};
}

class CatalogueTest : public ::testing::Test {
protected:
    void picture(const std::string& relative) const { dir_.write(relative, "x"); }
    std::optional<Choice> next(bool reScan = false) {
        return catalogue_.nextImage(withPath(folder_, reScan), "/program/folder");
    }

    test::TempDir dir_;
    std::string folder_ = dir_.path().string();
    platform::SeededRandom random_{5};
    MountDirectoryLists lists_;
    Catalogue catalogue_{random_, lists_};
};

TEST_F(CatalogueTest, ACycleShowsEveryPictureOnceBeforeANewOneStarts) {
    for (const char* name : {"a.jpg", "b.gif", "c.bmp"})
        picture(name);
    Paths shown;
    for (int i = 0; i < 3; ++i)
        shown.push_back(next()->path);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Paths{folder_ + "/a.jpg", folder_ + "/b.gif", folder_ + "/c.bmp"}));
    EXPECT_EQ(catalogue_.playOrder(), std::vector<std::uint32_t>{0});

    picture("d.jpg");  // not seen until the next scan
    const auto fourth = next();
    ASSERT_TRUE(fourth);
    EXPECT_NE(fourth->path, folder_ + "/d.jpg");
    EXPECT_EQ(catalogue_.playOrder().size(), 3u) << "a new cycle of three, one taken";
}

TEST_F(CatalogueTest, ReScanRebuildsBothListsAtEveryUpdate) {
    picture("a.jpg");
    picture("b.jpg");
    for (std::size_t count = 2; count <= 4; ++count) {
        ASSERT_TRUE(next(true));
        EXPECT_EQ(catalogue_.imageList().size(), count + 1);
        EXPECT_EQ(catalogue_.playOrder().size(), count) << "a fresh cycle, one taken";
        picture("new" + std::to_string(count) + ".gif");
    }
}

TEST_F(CatalogueTest, AFolderWithoutPicturesGivesNoChoiceAndIsScannedAgain) {
    picture("notes.txt");
    EXPECT_FALSE(next());
    picture("late.jpg");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(next()->path, folder_ + "/late.jpg");
}

/// The folder scanned for each image folder setting, in one run: a folder that is missing (or
/// not a folder) falls back to the current directory of the drive that holds it: the process's
/// directory when it is on that drive, else the last folder shown there, else the mount point.
TEST(CatalogueFolderTest, AMissingFolderFallsBackToTheCurrentDirectoryOfItsDrive) {
    test::TempDir dir;
    dir.write("my drive/pics/a.jpg", "x");
    dir.write("cwd/b.jpg", "x");
    fs::create_directory(dir.path() / "my drivework");
    const std::string drive = fs::canonical(dir.path() / "my drive").string();
    const std::string pics = drive + "/pics", cwd = fs::canonical(dir.path() / "cwd").string();
    std::string escaped = drive;  // the kernel writes a blank in a mount point as \040
    for (std::size_t at; (at = escaped.find(' ')) != std::string::npos;)
        escaped.replace(at, 1, "\\040");
    // Of two mounts on one point the later is on top: here the real one.
    const std::string table =
        "1 0 8:1 / / rw - ext4 a rw\n"
        "broken line\n"
        "2 1 0:20 / /proc rw,relatime - proc proc rw\n"
        "3 1 0:21 / " +
        escaped +
        " rw - proc p rw\n"
        "4 1 8:2 / " +
        escaped + " rw shared:5 - tmpfs b rw\n";
    MountDirectoryLists lists(dir.write("mountinfo", table).string());
    const fs::path before = fs::current_path();
    fs::current_path(cwd);  // on the drive "/"
    struct Case {
        std::string path, program, directory, caption;
    };
    for (const Case& c : {
             Case{drive + "/gone/", "/program", drive + "/", "pics/a.jpg"},  // the mount point
             Case{pics + "/", "/program", pics + "/", "a.jpg"},
             Case{pics + "/a.jpg", "/program", pics + "/", "a.jpg"},         // the last shown there
             Case{"", pics, pics + "/", "a.jpg"},                            // the program's folder
             Case{"../my drive", "/nowhere", "../my drive/", "pics/a.jpg"},  // relative: unchecked
             Case{"/proc/self/", "/program", cwd + "/", "b.jpg"},         // no drive: the process's
             Case{drive + "work/gone/", "/program", cwd + "/", "b.jpg"},  // on "/", not the drive
         }) {
        platform::SeededRandom random(3);
        Catalogue catalogue(random, lists);
        const auto choice = catalogue.nextImage(withPath(c.path), c.program);
        ASSERT_TRUE(choice) << c.path;
        EXPECT_EQ(choice->directory, c.directory) << c.path;
        EXPECT_EQ(choice->caption(), c.caption) << c.path;
    }
    fs::current_path(before);
}

TEST(CatalogueRepairTest, AFolderNoListedMountHoldsIsUsedAsWritten) {
    // As inside a chroot: the table lists mounts, but none above the pictures' folder.
    test::TempDir dir;
    dir.write("pics/a.jpg", "x");
    const std::string pics = fs::canonical(dir.path() / "pics").string() + "/";
    MountDirectoryLists lists(
        dir.write("mountinfo", "2 1 0:20 / /proc rw - proc proc rw\n").string());
    platform::SeededRandom random(3);
    Catalogue catalogue(random, lists);
    const auto choice = catalogue.nextImage(withPath(pics), "/program");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, pics + "a.jpg");
}

}  // namespace
}  // namespace muralto::imaging
