#include "folders/MountTable.h"

#include <gtest/gtest.h>

namespace muralto::imaging {
namespace {

TEST(RealDriveMountPoints, OffersTheRealFileSystemsOnce) {
    const std::string root = "1 0 8:1 / / rw - ext4 a rw\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // the real ones in byte order
        {root + "2 1 8:2 / /mnt/usb rw - vfat b rw\n3 1 8:3 / /home rw - ext4 c rw\n"
                "4 1 0:50 / /mnt/nfs rw - nfs4 srv:/x rw\n",
         {"/", "/home", "/mnt/nfs", "/mnt/usb"}},
        // pseudo ones and those inside them left out
        {root + "2 1 0:6 / /dev rw - devtmpfs udev rw\n3 2 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                "4 1 0:22 / /sys rw - sysfs sysfs rw\n5 1 0:24 / /devices rw - tmpfs t rw\n",
         {"/", "/devices"}},
        // mounted twice: once, and the one on top decides
        {root + "2 1 8:2 / /data rw - ext4 b rw\n3 2 8:3 / /data rw - xfs c rw\n", {"/", "/data"}},
        {root + "2 1 8:2 / /data rw - ext4 b rw\n3 2 0:20 / /data rw - proc proc rw\n", {"/"}},
        {root + "2 1 0:20 / /my\\040drive rw - proc proc rw\n"
                "3 2 8:2 / /my\\040drive rw - tmpfs b rw\n",
         {"/", "/my drive"}},
        {"", {}},
    };
    for (const auto& [table, expected] : cases)
        EXPECT_EQ(RealDriveMountPoints(ParseMountInfo(table)), expected) << table;
}

}  // namespace
}  // namespace muralto::imaging
