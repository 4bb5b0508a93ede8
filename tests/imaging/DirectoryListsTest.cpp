#include "DirectoryLists.h"

#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "MountTable.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;

TEST(MountTableTest, ParsesMountInfoLines) {
    const auto table = ParseMountInfo(
        "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "40 26 0:36 / /media/My\\040Photos rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
        "broken line\n"
        "41 26 0:37 / relative rw - ext4 x rw\n"
        "21 26 0:20 / /proc rw,relatime - proc proc rw");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].mountPoint, "/");
    EXPECT_EQ(table[0].device, makedev(254, 0));
    EXPECT_EQ(table[1].mountPoint, "/media/My Photos");
    EXPECT_EQ(table[1].fileSystemType, "vfat");
    EXPECT_EQ(table[2].fileSystemType, "proc");
}

TEST(MountTableTest, TheLongestHoldingMountPointWinsAndTheLaterOfTwinMounts) {
    const auto table = ParseMountInfo(
        "1 0 8:1 / / rw - ext4 a rw\n"
        "2 1 8:2 / /home rw - ext4 b rw\n"
        "3 1 8:3 / /home rw - xfs c rw\n"
        "4 1 8:4 / /home/u/usb rw - vfat d rw\n");
    struct Case {
        const char* path;
        const char* type;  // nullptr: no mount holds it
    };
    for (const Case& c :
         {Case{"/home/u/pics", "xfs"}, Case{"/home", "xfs"}, Case{"/homework", "ext4"},
          Case{"/home/u/usb/x", "vfat"}, Case{"/", "ext4"}, Case{"relative/path", nullptr}}) {
        const Mount* mount = MountHolding(table, c.path);
        if (!c.type) {
            EXPECT_EQ(mount, nullptr) << c.path;
        } else {
            ASSERT_NE(mount, nullptr) << c.path;
            EXPECT_EQ(mount->fileSystemType, c.type) << c.path;
        }
    }
    EXPECT_TRUE(IsPseudoFileSystemType("devtmpfs"));
    EXPECT_FALSE(IsPseudoFileSystemType("tmpfs"));
}

/// Lists over a mount table of the test's own: "/", "/proc", and the test folder as a drive.
class MountDirectoryListsTest : public ::testing::Test {
protected:
    MountDirectoryListsTest() {
        dir_.write("drive/pics/a.jpg", "x");
        drive_ = fs::canonical(dir_.path() / "drive").string();
        table_ = dir_.write("mountinfo",
                            "1 0 8:1 / / rw - ext4 a rw\n"
                            "2 1 0:20 / /proc rw - proc proc rw\n"
                            "3 1 8:2 / " +
                                drive_ + " rw - ext4 b rw\n")
                     .string();
    }

    test::TempDir dir_;
    std::string drive_;
    std::string table_;
};

TEST_F(MountDirectoryListsTest, SelectingADirectoryFailsForMissingFilesAndPseudoFolders) {
    MountDirectoryLists lists(table_);
    const std::string start = lists.directory();
    EXPECT_EQ(start, ProcessCurrentDirectory());
    for (const std::string& bad :
         {drive_ + "/missing", drive_ + "/pics/a.jpg", std::string("/proc/self"), std::string()}) {
        EXPECT_FALSE(lists.selectDirectory(bad)) << bad;
        EXPECT_EQ(lists.directory(), start);
    }
    EXPECT_TRUE(lists.selectDirectory(drive_ + "//pics/"));
    EXPECT_EQ(lists.directory(), drive_ + "/pics");
}

TEST_F(MountDirectoryListsTest, ADrivesCurrentDirectoryIsTheLastShownElseItsMountPoint) {
    MountDirectoryLists lists(table_);
    EXPECT_FALSE(lists.selectDrive("/proc/self"));
    EXPECT_TRUE(lists.selectDrive(drive_ + "/missing/folder"));
    EXPECT_EQ(lists.drive(), drive_);
    EXPECT_EQ(lists.directory(), drive_);
    ASSERT_TRUE(lists.selectDirectory(drive_ + "/pics"));
    ASSERT_TRUE(lists.selectDrive("/"));
    EXPECT_EQ(lists.directory(), ProcessCurrentDirectory()) << "the process's directory is on /";
    ASSERT_TRUE(lists.selectDrive(drive_));
    EXPECT_EQ(lists.currentDirectoryOfDrive(), drive_ + "/pics");
    EXPECT_EQ(lists.directory(), drive_ + "/pics");
}

}  // namespace
}  // namespace muralto::imaging
