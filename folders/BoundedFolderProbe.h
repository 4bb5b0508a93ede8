#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "folders/DirectoryLists.h"
#include "platform/DeadlineRunner.h"

namespace muralto::imaging {

/// Asks the file system on worker threads and gives up after a deadline: a folder or drive whose
/// mount does not answer in time counts as not ready. The calls are keyed by the mount that holds
/// the path as written, so while a worker hangs on one mount the next question about that mount
/// fails at once and other mounts are still asked.
class BoundedFolderProbe : public FolderProbe {
public:
    /// Asks inner (by default the file system directly, through mountInfoPath's table) and
    /// waits up to deadline for each answer. inner is called on worker threads.
    explicit BoundedFolderProbe(std::string mountInfoPath = "/proc/self/mountinfo",
                                std::chrono::milliseconds deadline = std::chrono::seconds(2),
                                std::shared_ptr<FolderProbe> inner = nullptr);

    std::string realDriveOf(const std::string& absolutePath) override;
    bool isUsableDirectory(const std::string& absolutePath) override;

    /// Whether a question about the mount that holds absolutePath is still unanswered.
    bool waitingOn(const std::string& absolutePath) const;

private:
    /// The mount point that holds path by its text, read from the table (no mount is touched).
    std::string keyOf(const std::string& path) const;

    std::string mountInfoPath_;
    std::shared_ptr<FolderProbe> inner_;
    platform::DeadlineRunner runner_;
};

}  // namespace muralto::imaging
