#include "folders/DirectoryLists.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "folders/MountTable.h"

namespace muralto::imaging {
namespace {

/// Owns a string that the C library allocated.
struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};
using CString = std::unique_ptr<char, FreeDeleter>;

}  // namespace

std::string NormalisedPath(const std::string& absolute) {
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

namespace {

/// The absolute path with its links resolved when it exists, else as given; the mount that
/// holds a folder is judged on this.
std::string resolved(const std::string& absolute) {
    const CString real(::realpath(absolute.c_str(), nullptr));
    return real ? std::string(real.get()) : absolute;
}

}  // namespace

bool DirectFolderProbe::isUsableDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return ::access(path.c_str(), X_OK) == 0;
}

std::string DirectFolderProbe::realDriveOf(const std::string& path) {
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

MountDirectoryLists::MountDirectoryLists(std::string programDirectory, std::string mountInfoPath)
    : MountDirectoryLists(std::move(programDirectory),
                          std::make_shared<DirectFolderProbe>(std::move(mountInfoPath))) {}

MountDirectoryLists::MountDirectoryLists(std::string programDirectory,
                                         std::shared_ptr<FolderProbe> probe)
    : programDirectory_(std::move(programDirectory)), probe_(std::move(probe)) {
    directory_ = absolute(programDirectory_);
    if (directory_.empty())
        directory_ = "/";
    programDrive_ = realDriveOf(absolute(programDirectory_));
    drive_ = programDrive_;
    if (drive_.empty())
        drive_.push_back('/');  // the whole tree as one drive
}

std::string MountDirectoryLists::absolute(const std::string& path) const {
    if (path.starts_with('/'))
        return NormalisedPath(path);
    // The program's folder is the working directory of the lists; the process's own one is
    // the home folder when a desktop started the program, and is never used.
    if (!programDirectory_.starts_with('/'))
        return {};
    return NormalisedPath(programDirectory_ + "/" + path);
}

std::string MountDirectoryLists::realDriveOf(const std::string& path) const {
    return path.empty() ? std::string() : probe_->realDriveOf(path);
}

bool MountDirectoryLists::showDrive(const std::string& pathOnIt) {
    std::string drive = realDriveOf(absolute(pathOnIt));
    if (drive.empty())
        return false;
    drive_ = std::move(drive);
    return true;
}

bool MountDirectoryLists::selectDrive(const std::string& pathOnIt) {
    if (!showDrive(pathOnIt))
        return false;
    // Choosing a drive moves the directory list to that drive's current directory.
    const std::string current = currentDirectoryOfDrive();
    if (probe_->isUsableDirectory(current)) {
        directory_ = current;
        lastShown_[drive_] = directory_;
    }
    return true;
}

bool MountDirectoryLists::selectDirectory(const std::string& directory) {
    std::string path = directory.empty() ? std::string() : absolute(directory);
    if (path.empty() || !probe_->isUsableDirectory(path))
        return false;
    const std::string drive = realDriveOf(path);
    if (drive.empty())
        return false;
    directory_ = std::move(path);
    lastShown_[drive] = directory_;
    return true;
}

std::string MountDirectoryLists::currentDirectoryOfDrive() {
    std::string program = absolute(programDirectory_);
    if (!program.empty() && programDrive_ == drive_)
        return program;
    const auto shown = lastShown_.find(drive_);
    return shown != lastShown_.end() ? shown->second : drive_;
}

}  // namespace muralto::imaging
