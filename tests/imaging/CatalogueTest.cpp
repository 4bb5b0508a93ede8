#include "imaging/Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/RandomSource.h"
#include "tests/support/TestSupport.h"

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
    MountDirectoryLists lists_{"/program/folder"};
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
    for (std::size_t count = 1; count <= 3; ++count) {
        picture("new" + std::to_string(count) + ".gif");
        ASSERT_TRUE(next(true));
        EXPECT_EQ(catalogue_.imageList().size(), count + 1);
        EXPECT_EQ(catalogue_.playOrder().size(), count) << "a fresh cycle, one taken";
    }
}

TEST_F(CatalogueTest, AFolderWithoutPicturesGivesNoChoiceAndIsScannedAgain) {
    picture("notes.txt");
    EXPECT_FALSE(next());
    picture("late.jpg");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(next()->path, folder_ + "/late.jpg");
}

/// Runs the process in another working directory while it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& folder) : before_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingDirectory() { fs::current_path(before_); }

private:
    fs::path before_;
};

/// The folder scanned for each image folder setting, in one run: a folder that is missing,
/// not a folder or on a pseudo file system falls back to the current directory of the drive
/// that holds it: the program's folder when it is on that drive, else the last folder shown
/// there, else the mount point. The working directory, which holds pictures of its own as a
/// home folder does, is never scanned.
TEST(CatalogueFolderTest, AnUnusableFolderFallsBackToTheCurrentDirectoryOfItsDrive) {
    test::TempDir dir;
    for (const char* file : {"drive/pics/a.jpg", "home/a.jpg", "roothome/a.jpg", "program/c.jpg"})
        dir.write(file, "x");
    fs::create_directory(dir.path() / "drivework");
    const auto real = [&](const char* name) { return fs::canonical(dir.path() / name).string(); };
    const std::string drive = real("drive"), pics = drive + "/pics", program = real("program");
    const std::string home = real("home");
    const std::string table =
        "1 0 8:1 / / rw - ext4 a rw\n2 1 0:20 / /proc rw - proc proc rw\n"
        "3 1 8:3 / " +
        home + " rw - ext4 h rw\n4 1 8:2 / " + drive + " rw - tmpfs b rw\n";
    MountDirectoryLists lists(program, dir.write("mountinfo", table).string());
    // The working directory holds pictures of its own: on a drive of its own, or on "/" with
    // the program.
    struct Case {
        std::string path, workingDirectory, directory, caption;
    };
    for (const Case& c : {
             Case{drive + "/gone/", home, drive + "/", "pics/a.jpg"},  // the mount point
             Case{pics + "/", home, pics + "/", "a.jpg"},
             Case{pics + "/a.jpg", home, pics + "/", "a.jpg"},              // the last shown there
             Case{"", home, program + "/", "c.jpg"},                        // the program's folder
             Case{"../drive", home, program + "/../drive/", "pics/a.jpg"},  // unchecked
             Case{"/proc/self/", home, program + "/", "c.jpg"},  // no drive: the program's
             Case{drive + "work/gone/", real("roothome"), program + "/", "c.jpg"},  // on "/"
         }) {
        const WorkingDirectory started(c.workingDirectory);
        platform::SeededRandom random(3);
        Catalogue catalogue(random, lists);
        const auto choice = catalogue.nextImage(withPath(c.path), program);
        ASSERT_TRUE(choice) << c.path;
        EXPECT_EQ(choice->directory, c.directory) << c.path;
        EXPECT_EQ(choice->caption(), c.caption) << c.path;
    }
}

TEST(CatalogueFolderTest, ARelativeFolderIsTakenFromTheProgramsFolderNeverTheWorkingOne) {
    test::TempDir dir;
    dir.write("home/pics/private.jpg", "x");
    dir.write("program/pics/own.jpg", "x");
    const std::string program = (dir.path() / "program").string();
    const WorkingDirectory home(dir.path() / "home");
    const auto choose = [](const std::string& programFolder) {
        MountDirectoryLists lists(programFolder);
        platform::SeededRandom random(3);
        Catalogue catalogue(random, lists);
        return catalogue.nextImage(withPath("pics"), programFolder);
    };
    const auto choice = choose(program);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, program + "/pics/own.jpg");
    EXPECT_FALSE(choose("")) << "an unknown program folder names nothing to scan";
}

TEST(CatalogueRepairTest, AFolderNoListedMountHoldsIsUsedAsWritten) {
    // As inside a chroot: the table lists mounts, but none above the pictures' folder.
    test::TempDir dir;
    dir.write("pics/a.jpg", "x");
    const std::string pics = fs::canonical(dir.path() / "pics").string() + "/";
    MountDirectoryLists lists(
        "/program", dir.write("mountinfo", "2 1 0:20 / /proc rw - proc proc rw\n").string());
    platform::SeededRandom random(3);
    Catalogue catalogue(random, lists);
    const auto choice = catalogue.nextImage(withPath(pics), "/program");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, pics + "a.jpg");
}

}  // namespace
}  // namespace muralto::imaging
