#include "folders/DirectoryScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <linux/magic.h>

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "folders/DirEntryNames.h"
#include "folders/MountTable.h"

namespace muralto::imaging {
namespace {

// Types that linux/magic.h of older kernels does not name.
constexpr std::uint32_t kConfigfsMagic = 0x62656570;
constexpr std::uint32_t kFusectlMagic = 0x65735543;
constexpr std::uint32_t kMqueueMagic = 0x19800202;

/// statfs types of the pseudo file systems. devtmpfs reports the tmpfs type and is told apart
/// through the mount table.
bool isPseudoMagic(std::uint32_t type) {
    static constexpr std::array<std::uint32_t, 19> kPseudoMagics = {
        PROC_SUPER_MAGIC,    SYSFS_MAGIC,     DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC,
        CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,   TRACEFS_MAGIC,      SECURITYFS_MAGIC,
        PSTOREFS_MAGIC,      BPF_FS_MAGIC,    kConfigfsMagic,     kFusectlMagic,
        kMqueueMagic,        HUGETLBFS_MAGIC, BINFMTFS_MAGIC,     NSFS_MAGIC,
        EFIVARFS_MAGIC,      SELINUX_MAGIC,   AUTOFS_SUPER_MAGIC};
    for (std::uint32_t magic : kPseudoMagics) {
        if (type == magic)
            return true;
    }
    return false;
}

enum class EntryKind { File, Directory, Other };

/// What an entry is, from the type readdir gives; only links and file systems that give no
/// type cost a stat. Links are followed; a dangling or vanished entry is Other.
EntryKind kindOf(const dirent& entry, int directoryFd) {
    switch (entry.d_type) {
        case DT_REG:
            return EntryKind::File;
        case DT_DIR:
            return EntryKind::Directory;
        case DT_LNK:
        case DT_UNKNOWN: {
            struct stat st;
            if (::fstatat(directoryFd, entry.d_name, &st, 0) != 0)
                return EntryKind::Other;
            if (S_ISDIR(st.st_mode))
                return EntryKind::Directory;
            return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
        }
        default:
            return EntryKind::Other;
    }
}

struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

struct FolderIdHash {
    std::size_t operator()(const FolderId& id) const {
        const auto inode = static_cast<std::uint64_t>(id.inode);
        const auto device = static_cast<std::uint64_t>(id.device);
        return std::hash<std::uint64_t>()(inode * 0x9E3779B97F4A7C15u ^ device);
    }
};

/// One scan: the folders already walked and what is known about the devices met.
class TreeWalk {
public:
    /// Files whose path accept refuses are left out; a null accept takes every file.
    TreeWalk(std::vector<std::string>& files, bool (*accept)(std::string_view path),
             const std::atomic<bool>* stop)
        : files_(files), accept_(accept), stop_(stop) {}

    /// Walks root (ending in '/') in pre-order, with an explicit stack so that deep trees
    /// cannot exhaust the call stack.
    void run(std::string root) {
        std::vector<std::string> pending{std::move(root)};
        std::vector<std::string> subfolders;
        while (!pending.empty() && !(stop_ && *stop_)) {
            std::string folder = std::move(pending.back());
            pending.pop_back();
            subfolders.clear();
            listFolder(folder, subfolders);
            for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
                pending.push_back(std::move(*it));
            }
        }
    }

private:
    /// Appends the folder's files to the result and its subfolders (ending in '/') to
    /// subfolders, in the order the file system lists them.
    void listFolder(const std::string& folder, std::vector<std::string>& subfolders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        DIR* listing = mayEnter(fd) ? ::fdopendir(fd) : nullptr;
        if (!listing) {
            ::close(fd);
            return;
        }
        std::string path = folder;
        while (const dirent* entry = ::readdir(listing)) {
            if (isDotOrDotDot(entry->d_name))
                continue;
            const EntryKind kind = kindOf(*entry, fd);
            if (kind == EntryKind::Other)
                continue;
            path.resize(folder.size());
            path.append(entry->d_name);
            if (kind == EntryKind::File) {
                // A refused path is never copied: listing every file first and filtering after
                // took twice the memory and most of the scan's time.
                if (!accept_ || accept_(path))
                    files_.push_back(path);
            } else {
                path.push_back('/');
                subfolders.push_back(path);
            }
        }
        ::closedir(listing);
    }

    /// Whether the open folder is walked: not seen before and not on a pseudo file system.
    bool mayEnter(int fd) {
        struct stat st;
        if (::fstat(fd, &st) != 0 || isPseudoDevice(st.st_dev, fd))
            return false;
        return visited_.insert({st.st_dev, st.st_ino}).second;
    }

    /// Classifies the device of an open folder; the answer is kept per device, so only a
    /// change of device costs a look.
    bool isPseudoDevice(dev_t device, int fd) {
        if (lastDevice_ && *lastDevice_ == device)
            return lastPseudo_;
        auto known = pseudoByDevice_.find(device);
        if (known == pseudoByDevice_.end()) {
            known = pseudoByDevice_.emplace(device, classify(device, fd)).first;
        }
        lastDevice_ = device;
        lastPseudo_ = known->second;
        return lastPseudo_;
    }

    bool classify(dev_t device, int fd) {
        struct statfs info;
        if (::fstatfs(fd, &info) != 0)
            return false;
        const auto type = static_cast<std::uint32_t>(info.f_type);
        if (isPseudoMagic(type))
            return true;
        if (type != TMPFS_MAGIC && type != RAMFS_MAGIC)
            return false;
        if (!mounts_)
            mounts_ = ReadMountTable();
        for (const Mount& mount : *mounts_) {
            if (mount.device == device)
                return IsPseudoFileSystemType(mount.fileSystemType);
        }
        return false;
    }

    std::vector<std::string>& files_;
    bool (*accept_)(std::string_view path);
    const std::atomic<bool>* stop_;
    std::unordered_set<FolderId, FolderIdHash> visited_;
    std::unordered_map<dev_t, bool> pseudoByDevice_;
    std::optional<dev_t> lastDevice_;
    bool lastPseudo_ = false;
    std::optional<std::vector<Mount>> mounts_;
};

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Appends the files below directory that accept takes (all with a null accept) to a list
/// that keeps its empty element 0.
void walkTree(std::string directory, std::vector<std::string>& list,
              bool (*accept)(std::string_view path), const std::atomic<bool>* stop) {
    if (list.empty())
        list.emplace_back();
    if (directory.empty() || directory.back() != '/')
        directory.push_back('/');
    TreeWalk(list, accept, stop).run(std::move(directory));
}

}  // namespace

void ScanDirectory(std::string directory, std::vector<std::string>& files) {
    walkTree(std::move(directory), files, nullptr, nullptr);
}

bool IsCandidateImage(std::string_view path) {
    if (path.size() < 4)
        return false;
    std::array<char, 4> tail{};
    for (std::size_t i = 0; i < 4; ++i)
        tail[i] = lowerAscii(path[path.size() - 4 + i]);
    const std::string_view extension(tail.data(), tail.size());
    return extension == ".jpg" || extension == ".bmp" || extension == ".gif" ||
           extension == ".wmf" || extension == ".eps";
}

void AddImageFiles(std::string directory, std::vector<std::string>& gsImageList,
                   const std::atomic<bool>* stop) {
    walkTree(std::move(directory), gsImageList, IsCandidateImage, stop);
}

}  // namespace muralto::imaging
