#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace muralto::imaging {

/// One line of the kernel's mount table.
struct Mount {
    dev_t device = 0;            ///< the device number that stat reports for files on it
    std::string mountPoint;      ///< where it is mounted, without a trailing '/' (except "/")
    std::string fileSystemType;  ///< the kernel's name of its type ("ext4", "proc", ...)
};

/// Parses the text of /proc/<pid>/mountinfo; lines that do not parse are left out. Escaped
/// bytes of mount points ("\040" for a blank) are decoded.
std::vector<Mount> ParseMountInfo(std::string_view text);

/// Reads and parses a mountinfo file; an unreadable file gives an empty table.
std::vector<Mount> ReadMountTable(const std::string& mountInfoPath = "/proc/self/mountinfo");

/// Whether a file system of this type holds no files of its own (kernel interfaces such as
/// proc, sysfs, cgroup, devtmpfs, autofs ...): the image scan never enters one, and the drive
/// list does not offer one.
bool IsPseudoFileSystemType(std::string_view type);

/// The mount that holds an absolute path, judged by its text: the longest mount point that is
/// the path or one of its parent folders; of equal ones the later line, which is mounted on top.
/// Null when none holds it (a relative path, or an empty table).
const Mount* MountHolding(const std::vector<Mount>& table, std::string_view absolutePath);

/// The mount points of the real file systems, as the drive list offers them: each point once (the
/// mount on top decides), none of a pseudo file system or lying inside one (/dev/shm below
/// devtmpfs, /sys/fs/cgroup below sysfs), in byte order. Judged by the table alone: no mount is
/// touched, so one that does not answer cannot stall the list.
std::vector<std::string> RealDriveMountPoints(const std::vector<Mount>& table);

}  // namespace muralto::imaging
