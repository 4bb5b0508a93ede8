#include "Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "SeededRandom.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

/// Directory lists that answer from a script and record what they were asked.
class FakeLists : public DirectoryLists {
public:
    bool selectDrive(const std::string& path) override {
        calls.push_back("drive " + path);
        return !failingDrives.contains(path);
    }
    bool selectDirectory(const std::string& directory) override {
        calls.push_back("dir " + directory);
        if (!existing.contains(directory))
            return false;
        shown = directory;
        return true;
    }
    std::string currentDirectoryOfDrive() override {
        calls.push_back("current");
        return driveCurrent;
    }
    std::string directory() override { return shown; }

    std::set<std::string> failingDrives;
    std::set<std::string> existing;
    std::string driveCurrent;
    std::string shown = "/shown/before";
    Paths calls;
};

settings::ImageSettings withPath(std::string path, bool reScan = false) {
    settings::ImageSettings s;
    s.Valid = true;
    s.Path = std::move(path);
    s.ReScan = reScan;
    return s;
}

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() : folder_(dir_.path().string()) { lists_.existing.insert(folder_); }

    void picture(const std::string& relative) const { dir_.write(relative, "x"); }
    std::optional<Choice> next(const settings::ImageSettings& s) {
        return catalogue_.nextImage(s, "/program/folder");
    }

    test::TempDir dir_;
    std::string folder_;
    test::SeededRandom random_{5};
    FakeLists lists_;
    Catalogue catalogue_{random_, lists_};
};

TEST_F(CatalogueTest, ACycleShowsEveryPictureOnceBeforeANewOneStarts) {
    for (const char* name : {"a.jpg", "b.gif", "c.bmp"})
        picture(name);
    Paths shown;
    for (int i = 0; i < 3; ++i)
        shown.push_back(next(withPath(folder_))->path);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Paths{folder_ + "/a.jpg", folder_ + "/b.gif", folder_ + "/c.bmp"}));
    EXPECT_EQ(catalogue_.playOrder(), std::vector<std::uint32_t>{0});

    picture("d.jpg");  // not seen until the next scan
    const auto fourth = next(withPath(folder_));
    ASSERT_TRUE(fourth);
    EXPECT_NE(fourth->path, folder_ + "/d.jpg");
    EXPECT_EQ(catalogue_.imageList().size(), 4u);
    EXPECT_EQ(catalogue_.playOrder().size(), 3u) << "a new cycle of three, one taken";
}

TEST_F(CatalogueTest, ReScanRebuildsBothListsAtEveryUpdate) {
    picture("a.jpg");
    picture("b.jpg");
    for (std::size_t count = 2; count <= 4; ++count) {
        ASSERT_TRUE(next(withPath(folder_, true)));
        EXPECT_EQ(catalogue_.imageList().size(), count + 1);
        EXPECT_EQ(catalogue_.playOrder().size(), count) << "a fresh cycle, one taken";
        picture("new" + std::to_string(count) + ".gif");
    }
}

TEST_F(CatalogueTest, AFolderWithoutPicturesGivesNoChoiceAndIsScannedAgain) {
    picture("notes.txt");
    EXPECT_FALSE(next(withPath(folder_)));
    EXPECT_TRUE(catalogue_.scanned());
    picture("late.jpg");
    const auto choice = next(withPath(folder_));
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, folder_ + "/late.jpg");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(next(withPath(folder_))->path, choice->path);
}

TEST_F(CatalogueTest, ResetImageListMakesTheNextUpdateScan) {
    picture("a.jpg");
    ASSERT_TRUE(next(withPath(folder_)));
    picture("b.jpg");
    catalogue_.resetImageList();
    EXPECT_EQ(catalogue_.imageList(), Paths{""});
    EXPECT_EQ(catalogue_.playOrder(), std::vector<std::uint32_t>{0});
    ASSERT_TRUE(next(withPath(folder_)));
    EXPECT_EQ(catalogue_.imageList().size(), 3u);
}

TEST_F(CatalogueTest, AnExistingFolderIsUsedAsWritten) {
    picture("sub/a.jpg");
    const auto choice = next(withPath(folder_));
    ASSERT_TRUE(choice);
    EXPECT_EQ(lists_.calls, (Paths{"drive " + folder_, "dir " + folder_}));
    EXPECT_EQ(choice->directory, folder_ + "/");
    EXPECT_EQ(choice->caption(), "sub/a.jpg");
}

TEST_F(CatalogueTest, EmptyAndRelativePathsAreNotChecked) {
    picture("a.jpg");
    const std::string relative = fs::relative(folder_, fs::current_path()).string();
    for (const auto& [path, program] :
         {std::pair{std::string(), folder_}, std::pair{relative, std::string("/nowhere")}}) {
        Catalogue catalogue(random_, lists_);
        lists_.calls.clear();
        const auto choice = catalogue.nextImage(withPath(path), program);
        ASSERT_TRUE(choice) << path;
        EXPECT_EQ(choice->caption(), "a.jpg");
        if (!path.empty()) {
            EXPECT_TRUE(lists_.calls.empty()) << "a relative path goes to the scan unchecked";
        }
    }
}

TEST_F(CatalogueTest, AMissingFolderFallsBackToTheDrivesCurrentDirectory) {
    picture("fallback/a.jpg");
    const std::string missing = "/no/such/folder/";
    const std::string fallback = folder_ + "/fallback";
    lists_.existing.insert(fallback);
    lists_.driveCurrent = fallback;
    struct Case {
        bool driveFails;
        Paths calls;
    };
    for (const Case& c :
         {Case{false, {"drive " + missing, "dir " + missing, "current", "dir " + fallback}},
          Case{true,
               {"drive " + missing, "drive " + ProcessCurrentDirectory(), "dir " + missing,
                "current", "dir " + fallback}}}) {
        Catalogue catalogue(random_, lists_);
        lists_.calls.clear();
        lists_.failingDrives = c.driveFails ? std::set{missing} : std::set<std::string>{};
        for (int update = 0; update < 2; ++update) {  // the second update does not scan
            const auto choice = catalogue.nextImage(withPath(missing), "/program");
            ASSERT_TRUE(choice);
            EXPECT_EQ(choice->directory, fallback + "/");
            EXPECT_EQ(choice->caption(), "a.jpg");
        }
        EXPECT_EQ(lists_.calls, c.calls);
    }
}

TEST(CatalogueMountTest, AMissingFolderOnADriveFallsBackToItsMountPoint) {
    test::TempDir dir;
    dir.write("drive/p/a.jpg", "x");
    const std::string drive = fs::canonical(dir.path() / "drive").string();
    const auto table = dir.write("mountinfo",
                                 "1 0 8:1 / / rw - ext4 a rw\n"
                                 "2 1 8:2 / " +
                                     drive + " rw - ext4 b rw\n");
    MountDirectoryLists lists(table.string());
    test::SeededRandom random(3);
    Catalogue catalogue(random, lists);
    const auto choice = catalogue.nextImage(withPath(drive + "/gone/"), "/program");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->directory, drive + "/");
    EXPECT_EQ(choice->caption(), "p/a.jpg");
}

}  // namespace
}  // namespace muralto::imaging
