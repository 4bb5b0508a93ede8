#include "BoundedFolderProbe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Answers as the file system does, except that it hangs on paths below one folder until
/// released.
class HangingProbe : public FolderProbe {
public:
    HangingProbe(std::string mountInfo, std::string hanging)
        : direct_(std::move(mountInfo)), hanging_(std::move(hanging)) {}

    std::string realDriveOf(const std::string& path) override {
        hangIfBelow(path);
        return direct_.realDriveOf(path);
    }
    bool isUsableDirectory(const std::string& path) override {
        hangIfBelow(path);
        return direct_.isUsableDirectory(path);
    }
    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }
    std::atomic<int> hangs = 0;
    std::atomic<int> answered = 0;

private:
    void hangIfBelow(const std::string& path) {
        if (path.starts_with(hanging_)) {
            ++hangs;
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return released_; });
        }
        ++answered;
    }
    DirectFolderProbe direct_;
    std::string hanging_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool released_ = false;
};

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct NetTree {
    test::TempDir dir;
    fs::path root = fs::canonical(dir.path());
    std::string mountInfo;
    std::shared_ptr<HangingProbe> inner;

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
        inner = std::make_shared<HangingProbe>(mountInfo, at("net"));
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
    EXPECT_EQ(s.inner->hangs.load(), 1);
    // The other drives still answer.
    EXPECT_EQ(probe.realDriveOf(s.at("local/pics")), s.at("local"));
    EXPECT_TRUE(probe.isUsableDirectory(s.at("local/pics")));
    // Once the server is back, the mount answers again.
    s.inner->release();
    ASSERT_TRUE(eventually([&] { return !probe.waitingOn(s.at("net/a")); }));
    EXPECT_EQ(probe.realDriveOf(s.at("net/a")), s.at("net"));
    EXPECT_TRUE(probe.isUsableDirectory(s.at("net/b")));
}

TEST(BoundedFolderProbeTest, AnswersAsTheFileSystemWithoutAnInnerProbe) {
    NetTree s;
    BoundedFolderProbe probe(s.mountInfo);
    EXPECT_EQ(probe.realDriveOf(s.at("net/a")), s.at("net"));
    EXPECT_TRUE(probe.isUsableDirectory(s.at("local/pics")));
    EXPECT_FALSE(probe.isUsableDirectory(s.at("local/none")));
}

}  // namespace
}  // namespace muralto::imaging
