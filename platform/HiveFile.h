#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/HiveTree.h"

namespace muralto::platform {

/// One hive kept in a text file. Reads take no lock (the file is only ever replaced whole) and
/// parse the file again only when it changed; writes are atomic and safe between processes:
/// under an flock on "<file>.lock" the current file is read, the change applied, a temporary
/// file in the same folder written and synced, renamed over the file and the folder synced. A
/// process killed at any point leaves the old or the new file and no lock behind; a process
/// that holds the lock for longer than the lock timeout makes writes fail with EWOULDBLOCK. A
/// file that is a symbolic link is written where the link leads, and keeps its permissions.
/// A file with lines that do not parse keeps its good lines; before a write replaces it, its
/// bytes are copied to "<file>.corrupt-<UTC timestamp>". A write whose file would be larger
/// than a read accepts (64 MiB) fails with EFBIG. A batch gathers many changes into one such
/// write.
///
/// All results are 0 or an errno value.
class HiveFile {
public:
    HiveFile(std::filesystem::path file, std::string rootName, bool readOnly = false);

    /// Brings the tree up to date with the file and hands it to reader. A missing file is an
    /// empty hive; a file that cannot be read gives an empty tree and its error.
    int read(const std::function<void(const HiveTree&)>& reader);

    using Change = std::function<int(HiveTree&)>;

    /// Applies change to the current tree and writes the result. change returns 0 to write, or
    /// an errno value to give up without writing (leaving the tree as it was). A read-only hive
    /// refuses with EACCES. Inside a batch, the change is held back instead (see beginBatch), so
    /// it must own what it uses.
    int modify(const Change& change);

    /// Holds writes back until the matching endBatch: each modify applies its change to a
    /// pending tree, which the reads see from then on, and keeps it; nothing is written. Batches
    /// nest: only the outermost endBatch writes.
    void beginBatch() { ++batchDepth_; }
    /// Ends a batch. The outermost applies the changes held back, in their order, to the file
    /// as it is now and writes the result in one replace, with modify's lock and guarantees:
    /// 0 or that write's error, and then the file stays as it was. Either way the pending tree
    /// is dropped: the reads see the file again.
    int endBatch();

    /// How long a write waits for another process to release the lock; 5 seconds unless set.
    void setLockTimeout(std::chrono::milliseconds timeout) { lockTimeout_ = timeout; }
    /// From now on, all writes together wait at most budget for the lock: once it is spent, a
    /// write whose lock is held elsewhere fails at once. For an end that nobody waits for.
    void limitLockWaits(std::chrono::milliseconds budget) {
        lockDeadline_ = std::chrono::steady_clock::now() + budget;
    }

    const std::filesystem::path& path() const { return file_; }
    /// How often the file was parsed; tells whether an unchanged file was read again.
    std::uint64_t parseCount() const { return parseCount_; }
    /// How often the file was replaced by a write.
    std::uint64_t writeCount() const { return writeCount_; }

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        std::int64_t mtimeNs = -1;
        std::int64_t ctimeNs = -1;
        bool operator==(const Identity&) const = default;
    };

    static Identity identityOf(const struct stat& st);

    int refresh();
    int writeNow(const Change& change);
    int holdBack(const Change& change);
    int load(int fd);
    int keepCorruptCopy() const;
    int writeTree(HiveTree tree);
    void removeStaleTemporaries(const std::filesystem::path& target) const;
    void forget();

    std::filesystem::path file_;
    std::string rootName_;
    bool readOnly_;
    std::chrono::milliseconds lockTimeout_{5000};
    std::chrono::steady_clock::time_point lockDeadline_ =
        std::chrono::steady_clock::time_point::max();

    HiveTree tree_;
    Identity identity_;
    bool haveIdentity_ = false;
    bool corrupt_ = false;
    std::string corruptBytes_;
    std::uint64_t parseCount_ = 0;
    std::uint64_t writeCount_ = 0;

    int batchDepth_ = 0;
    /// The changes held back by the open batch, and the tree they made of the file.
    std::vector<Change> heldBack_;
    std::optional<HiveTree> pending_;
};

/// Where the current user's hive lives:
/// ${XDG_CONFIG_HOME:-$HOME/.config}/Brenwick/Muralto/HKCU.reg.
std::filesystem::path currentUserHivePath();

}  // namespace muralto::platform
