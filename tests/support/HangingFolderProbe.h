#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "folders/DirectoryLists.h"

namespace muralto::test {

/// Answers as the file system does, but hangs on the paths below one folder (as on a mount
/// whose server is gone) until released, and counts those hangs.
class HangingFolderProbe : public imaging::FolderProbe {
public:
    HangingFolderProbe(std::string mountInfo, std::string hanging)
        : direct_(std::move(mountInfo)), hanging_(std::move(hanging)) {}

    std::string realDriveOf(const std::string& path) override {
        hangIfBelow(path);
        return direct_.realDriveOf(path);
    }
    bool isUsableDirectory(const std::string& path) override {
        hangIfBelow(path);
        return direct_.isUsableDirectory(path);
    }
    /// Lets every hanging call, and every later one, answer.
    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }
    int hangs() const { return hangs_; }

private:
    void hangIfBelow(const std::string& path) {
        if (!path.starts_with(hanging_))
            return;
        ++hangs_;
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return released_; });
    }

    imaging::DirectFolderProbe direct_;
    std::string hanging_;
    std::atomic<int> hangs_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool released_ = false;
};

}  // namespace muralto::test
