#include "DirectoryLists.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "MountTable.h"

namespace muralto::imaging {
namespace {

/// Owns a string that the C library allocated.
struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};
using CString = std::unique_ptr<char, FreeDeleter>;

/// The absolute form of path without doubled or trailing '/'; a relative path is taken from
/// the current directory. Links and ".." stay as written.
std::string normalised(const std::string& path) {
    const std::string absolute =
        path.starts_with('/') ? path : ProcessCurrentDirectory() + "/" + path;
    std::string result;
    result.reserve(absolute.size());
    for (char c : absolute) {
        if (c == '/' && !result.empty() && result.back() == '/')
            continue;
        result.push_back(c);
    }
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

/// The path with its links resolved when it exists, else its normal form; the mount that
/// holds a folder is judged on this.
std::string resolved(const std::string& path) {
    const CString real(::realpath(path.c_str(), nullptr));
    return real ? std::string(real.get()) : normalised(path);
}

/// Whether a folder can be listed and its entries reached.
bool isUsableDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string ProcessCurrentDirectory() {
    const CString cwd(::getcwd(nullptr, 0));
    // A current directory outside the process's root comes back as "(unreachable)/...".
    if (!cwd || cwd.get()[0] != '/')
        return "/";
    return cwd.get();
}

MountDirectoryLists::MountDirectoryLists(std::string mountInfoPath)
    : mountInfoPath_(std::move(mountInfoPath)), directory_(ProcessCurrentDirectory()) {
    drive_ = realDriveOf(directory_);
    if (drive_.empty())
        drive_.push_back('/');  // the whole tree as one drive
}

std::string MountDirectoryLists::realDriveOf(const std::string& path) const {
    const std::vector<Mount> table = ReadMountTable(mountInfoPath_);
    // Without a mount table the whole tree counts as one drive.
    if (table.empty())
        return "/";
    const Mount* mount = MountHolding(table, resolved(path));
    // Inside a chroot or a container the table may list no mount above a path that exists:
    // its file system is real, and counts as the one drive "/".
    if (!mount)
        return "/";
    if (IsPseudoFileSystemType(mount->fileSystemType))
        return {};
    // A drive that is not ready: its mount point cannot be entered.
    if (::access(mount->mountPoint.c_str(), X_OK) != 0)
        return {};
    return mount->mountPoint;
}

bool MountDirectoryLists::selectDrive(const std::string& pathOnIt) {
    std::string drive = realDriveOf(pathOnIt);
    if (drive.empty())
        return false;
    drive_ = std::move(drive);
    // Choosing a drive moves the directory list to that drive's current directory.
    const std::string current = currentDirectoryOfDrive();
    if (isUsableDirectory(current)) {
        directory_ = normalised(current);
        lastShown_[drive_] = directory_;
    }
    return true;
}

bool MountDirectoryLists::selectDirectory(const std::string& directory) {
    if (directory.empty() || !isUsableDirectory(directory))
        return false;
    const std::string drive = realDriveOf(directory);
    if (drive.empty())
        return false;
    directory_ = normalised(directory);
    lastShown_[drive] = directory_;
    return true;
}

std::string MountDirectoryLists::currentDirectoryOfDrive() {
    std::string cwd = ProcessCurrentDirectory();
    if (realDriveOf(cwd) == drive_)
        return cwd;
    const auto shown = lastShown_.find(drive_);
    return shown != lastShown_.end() ? shown->second : drive_;
}

}  // namespace muralto::imaging
