#include "folders/BoundedFolderProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/HangingFolderProbe.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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
