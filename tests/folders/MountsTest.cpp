#include <gtest/gtest.h>
#include <filesystem>
#include <functional>
#include <thread>

#include "folders/BoundedFolderProbe.h"
#include "folders/MountTable.h"
#include "tests/support/HangingFolderProbe.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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
        {root + "2 1 8:2 / /data rw - ext4 b rw\n3 2 0:20 / /data rw - proc proc rw\n", {"/"}},
        {root + "2 1 0:20 / /my\\040drive rw - proc proc rw\n"
                "3 2 8:2 / /my\\040drive rw - tmpfs b rw\n",
         {"/", "/my drive"}},
    };
    for (const auto& [table, expected] : cases)
        EXPECT_EQ(RealDriveMountPoints(ParseMountInfo(table)), expected) << table;
}

struct NetTree {
    test::TempDir dir;
    fs::path root = fs::canonical(dir.path());
    std::string mountInfo;
    std::shared_ptr<test::HangingFolderProbe> inner;

    NetTree() {
        for (const char* folder : {"net/a", "net/b", "local/pics"})
            fs::create_directories(root / folder);
        mountInfo = dir.write("mountinfo",
                              "1 0 8:1 / / rw - ext4 a rw\n"
                              "2 1 0:50 / " +
                                  at("net") +
                                  " rw - nfs4 s:/ rw\n"
                                  "3 1 8:2 / " +
                                  at("local") + " rw - ext4 b rw\n")
                        .string();
        inner = std::make_shared<test::HangingFolderProbe>(mountInfo, at("net"));
    }
    ~NetTree() { inner->release(); }
    std::string at(const std::string& relative) const { return (root / relative).string(); }
};

TEST(BoundedFolderProbeTest, AMountThatDoesNotAnswerIsNotReadyAndAskedOnceWhileItHangs) {
    NetTree s;
    BoundedFolderProbe probe(s.mountInfo, 50ms, s.inner);
    EXPECT_EQ(probe.realDriveOf(s.at("net/a")), "");
    EXPECT_TRUE(probe.waitingOn(s.at("net/b"))) << "keyed by the mount, not the folder";
    EXPECT_FALSE(probe.isUsableDirectory(s.at("net/b")));
    EXPECT_EQ(probe.realDriveOf(s.at("net")), "");
    EXPECT_EQ(s.inner->hangs(), 1);
    // The other drives still answer.
    EXPECT_EQ(probe.realDriveOf(s.at("local/pics")), s.at("local"));
    EXPECT_TRUE(probe.isUsableDirectory(s.at("local/pics")));
    // Once the server is back, the mount answers again.
    s.inner->release();
    ASSERT_TRUE(muralto::test::eventually([&] { return !probe.waitingOn(s.at("net/a")); }));
    EXPECT_EQ(probe.realDriveOf(s.at("net/a")), s.at("net"));
    EXPECT_TRUE(probe.isUsableDirectory(s.at("net/b")));
}

}  // namespace
}  // namespace muralto::imaging
