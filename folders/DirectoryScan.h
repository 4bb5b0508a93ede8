#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace muralto::imaging {

/// Appends to files the full path of every regular file in the tree below directory (symbolic
/// links to regular files count), in pre-order: all files of a folder, in the order the file
/// system lists them, come before the files of its subfolders, which follow in that order too.
/// The paths are directory with a '/' appended when it has none, then the names below it, as
/// bytes. files is a list whose element 0 is empty; it gets one first when it is empty.
///
/// Hidden entries are listed; "." and ".." are not. Symbolic links to folders are followed,
/// but a folder reached a second time (a link loop, a bind mount) is walked only once, and
/// pseudo file systems (proc, sysfs, cgroup ...) are never entered. Folders that cannot be
/// opened and entries that vanish during the scan are skipped; the scan never fails.
void ScanDirectory(std::string directory, std::vector<std::string>& files);

/// Whether a file path names a candidate image: its last four bytes, with ASCII letters
/// lower-cased, are ".jpg", ".bmp", ".gif", ".wmf" or ".eps".
bool IsCandidateImage(std::string_view path);

/// Appends the candidate images of the tree below directory to gsImageList, keeping the order
/// of ScanDirectory and the case of the names. gsImageList's element 0 is empty; an empty list
/// gets one first. Once stop (when given) is set, no further folder is listed.
void AddImageFiles(std::string directory, std::vector<std::string>& gsImageList,
                   const std::atomic<bool>* stop = nullptr);

}  // namespace muralto::imaging
