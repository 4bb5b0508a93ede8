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
    /// The current directory of the drive shown: the program's folder when it lies on that
    /// drive, else the last directory shown on it in this run, else its mount point. Never the
    /// process's working directory: a desktop starts programs in the home folder, whose
    /// pictures must not reach the screen through a fallback.
    virtual std::string currentDirectoryOfDrive() = 0;
    /// The directory shown, absolute, without a trailing '/' (except "/" itself).
    virtual std::string directory() = 0;
};

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

    bool selectDrive(const std::string& pathOnIt) override;
    bool selectDirectory(const std::string& directory) override;
    std::string currentDirectoryOfDrive() override;
    std::string directory() override { return directory_; }
    /// The mount point of the drive shown.
    std::string drive() const { return drive_; }

private:
    /// path made absolute against the program's folder, without doubled or trailing '/';
    /// empty when it cannot be made absolute.
    std::string absolute(const std::string& path) const;
    /// The mount point of the real file system that holds path; empty when none does.
    std::string realDriveOf(const std::string& path) const;

    std::string programDirectory_;
    std::string mountInfoPath_;
    std::string drive_;
    std::string directory_;
    std::map<std::string, std::string> lastShown_;  ///< mount point -> last directory shown
};

}  // namespace muralto::imaging
