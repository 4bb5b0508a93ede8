#pragma once

#include <map>
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
    /// The current directory of the drive shown: the process's current directory when it lies
    /// on that drive, else the last directory shown on it in this run, else its mount point.
    virtual std::string currentDirectoryOfDrive() = 0;
    /// The directory shown, absolute, without a trailing '/' (except "/" itself).
    virtual std::string directory() = 0;
};

/// The process's current directory; "/" when the system cannot tell it.
std::string ProcessCurrentDirectory();

/// The lists without a window: drives come from the mount table, less pseudo file systems.
/// They start on the process's current directory and its drive.
class MountDirectoryLists : public DirectoryLists {
public:
    /// mountInfoPath names the mount table to read (tests hand in one of their own); it is
    /// read afresh at each request, so drives mounted later are found.
    explicit MountDirectoryLists(std::string mountInfoPath = "/proc/self/mountinfo");

    bool selectDrive(const std::string& pathOnIt) override;
    bool selectDirectory(const std::string& directory) override;
    std::string currentDirectoryOfDrive() override;
    std::string directory() override { return directory_; }
    /// The mount point of the drive shown.
    std::string drive() const { return drive_; }

private:
    /// The mount point of the real file system that holds path; empty when none does.
    std::string realDriveOf(const std::string& path) const;

    std::string mountInfoPath_;
    std::string drive_;
    std::string directory_;
    std::map<std::string, std::string> lastShown_;  ///< mount point -> last directory shown
};

}  // namespace muralto::imaging
