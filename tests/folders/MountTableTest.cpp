#include "folders/MountTable.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

struct DrivesCase {
    const char* name;
    std::string table;
    std::vector<std::string> expected;
};

class RealDriveMountPointsTest : public testing::TestWithParam<DrivesCase> {};

TEST_P(RealDriveMountPointsTest, OffersTheRealFileSystemsOnce) {
    EXPECT_EQ(RealDriveMountPoints(ParseMountInfo(GetParam().table)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Tables, RealDriveMountPointsTest,
                         testing::Values(DrivesCase{"RealOnesInByteOrder",
                                                    "1 0 8:1 / / rw - ext4 a rw\n"
                                                    "2 1 8:2 / /mnt/usb rw - vfat b rw\n"
                                                    "3 1 8:3 / /home rw - ext4 c rw\n"
                                                    "4 1 0:50 / /mnt/nfs rw - nfs4 srv:/x rw\n",
                                                    {"/", "/home", "/mnt/nfs", "/mnt/usb"}},
                                         DrivesCase{"PseudoOnesLeftOut",
                                                    "1 0 8:1 / / rw - ext4 a rw\n"
                                                    "2 1 0:20 / /proc rw - proc proc rw\n"
                                                    "3 1 0:21 / /sys rw - sysfs sysfs rw\n",
                                                    {"/"}},
                                         DrivesCase{
                                             "InsideAPseudoOneLeftOut",
                                             "1 0 8:1 / / rw - ext4 a rw\n"
                                             "2 1 0:6 / /dev rw - devtmpfs udev rw\n"
                                             "3 2 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                                             "4 1 0:22 / /sys rw - sysfs sysfs rw\n"
                                             "5 4 0:28 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
                                             "6 1 0:24 / /devices rw - tmpfs t rw\n",
                                             {"/", "/devices"}},
                                         DrivesCase{"MountedTwiceOnce",
                                                    "1 0 8:1 / / rw - ext4 a rw\n"
                                                    "2 1 8:2 / /data rw - ext4 b rw\n"
                                                    "3 2 8:3 / /data rw - xfs c rw\n",
                                                    {"/", "/data"}},
                                         DrivesCase{"ThePseudoOneOnTopDecides",
                                                    "1 0 8:1 / / rw - ext4 a rw\n"
                                                    "2 1 8:2 / /data rw - ext4 b rw\n"
                                                    "3 2 0:20 / /data rw - proc proc rw\n",
                                                    {"/"}},
                                         DrivesCase{"TheRealOneOnTopDecides",
                                                    "1 0 8:1 / / rw - ext4 a rw\n"
                                                    "2 1 0:20 / /my\\040drive rw - proc proc rw\n"
                                                    "3 2 8:2 / /my\\040drive rw - tmpfs b rw\n",
                                                    {"/", "/my drive"}},
                                         DrivesCase{"NoTable", "", {}}),
                         test::byName);

}  // namespace
}  // namespace muralto::imaging
