#pragma once

#include <map>
#include <memory>
#include <string>

namespace muralto::imaging {

/// The drive list and the directory list that check an image directory before a scan. The
/// options window shows them; without it, MountDirectoryLists keeps the same state.
class DirectoryLists {
public:
    virtual ~DirectoryLists() = default;

    /// Shows the drive (mounted file system) that holds pathOnIt and points the directory list
    /// at that drive's current directory. False, changing nothing, when no usable real file
    /// system holds it.
    virtual bool selectDrive(const std::string& pathOnIt) = 0;
    /// Points the directory list at directory. False, changing nothing, when it is missing,
    /// unreadable or on a pseudo file system.
    virtual bool selectDirectory(const std::string& directory) = 0;
    /// The current directory of the drive shown: the program's folder when it lies on that
    /// drive, else the last directory shown on it in this run, else its mount point. Never the
    /// process's working directory: a desktop starts programs in the home folder, whose
    /// pictures must not reach the screen through a fallback.
    virtual std::string currentDirectoryOfDrive() = 0;
    /// The directory shown, absolute, without a trailing '/' (except "/" itself).
    virtual std::string directory() = 0;
};

/// The questions the lists ask the file system. Either may block for as long as a mount does not
/// answer (a dead network or FUSE server); callers that must stay responsive ask them through a
/// probe that gives up in time.
class FolderProbe {
public:
    virtual ~FolderProbe() = default;
    /// The mount point of the real file system that holds absolutePath (links resolved): "/"
    /// when the mount table lists none above it or cannot be read; empty when a pseudo file
    /// system holds it or its drive is not ready (the mount point cannot be entered).
    virtual std::string realDriveOf(const std::string& absolutePath) = 0;
    /// Whether the folder can be listed and its entries reached.
    virtual bool isUsableDirectory(const std::string& absolutePath) = 0;
};

/// Asks on the calling thread, reading the mount table afresh at each question.
class DirectFolderProbe : public FolderProbe {
public:
    explicit DirectFolderProbe(std::string mountInfoPath = "/proc/self/mountinfo")
        : mountInfoPath_(std::move(mountInfoPath)) {}
    std::string realDriveOf(const std::string& absolutePath) override;
    bool isUsableDirectory(const std::string& absolutePath) override;

private:
    std::string mountInfoPath_;
};

/// An absolute path without doubled or trailing '/' (except "/" itself). Links and ".." stay as
/// written.
std::string NormalisedPath(const std::string& absolute);

/// The lists without a window: drives come from the mount table, less pseudo file systems.
/// They start on the program's folder and its drive. The program's folder stands in for the
/// working directory everywhere: relative paths are taken from it.
class MountDirectoryLists : public DirectoryLists {
public:
    /// programDirectory is the folder of the executable (absolute; when it is not, the lists
    /// start on "/" and relative paths name nothing). mountInfoPath names the mount table to
    /// read (tests hand in one of their own); it is read afresh at each request, so drives
    /// mounted later are found.
    explicit MountDirectoryLists(std::string programDirectory,
                                 std::string mountInfoPath = "/proc/self/mountinfo");
    /// The same, asking the file system through probe.
    MountDirectoryLists(std::string programDirectory, std::shared_ptr<FolderProbe> probe);

    bool selectDrive(const std::string& pathOnIt) override;
    bool selectDirectory(const std::string& directory) override;
    std::string currentDirectoryOfDrive() override;
    std::string directory() override { return directory_; }
    /// The mount point of the drive shown.
    std::string drive() const { return drive_; }
    /// Shows the drive that holds pathOnIt and leaves the directory list where it is. False,
    /// changing nothing, when no usable real file system holds it.
    bool showDrive(const std::string& pathOnIt);
    /// path made absolute against the program's folder, without doubled or trailing '/';
    /// empty when it cannot be made absolute.
    std::string absolute(const std::string& path) const;

private:
    /// The mount point of the real file system that holds path; empty when none does.
    std::string realDriveOf(const std::string& path) const;

    std::string programDirectory_;
    std::shared_ptr<FolderProbe> probe_;
    std::string programDrive_;  ///< the drive of the program's folder, asked once
    std::string drive_;
    std::string directory_;
    std::map<std::string, std::string> lastShown_;  ///< mount point -> last directory shown
};

}  // namespace muralto::imaging
