#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace muralto::platform {

// Small POSIX file helpers shared by the hive and the screen-saver configuration. Results are
// 0 or an errno value.

/// Owns a file descriptor and closes it when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();
    int get() const { return fd_; }
    /// Closes now and reports the error a delayed write may only show here.
    int close();

private:
    int fd_;
};

/// Reads to the end of the file, appending to out.
int readAll(int fd, std::string& out);
/// Writes all of data.
int writeAll(int fd, std::string_view data);

/// Where writing to file must go: file itself, or when it is a symbolic link, the file its
/// chain of links ends at (which need not exist yet). A file kept elsewhere and linked in so
/// stays where it is, and the link stays a link. ELOOP after 40 links.
int followLinks(const std::filesystem::path& file, std::filesystem::path& target);

/// The name that every temporary of replaceFile for target starts with: "<name>.tmp-".
std::string temporaryPrefix(const std::filesystem::path& target);

/// Replaces the content of file at once: a temporary beside the target (see followLinks),
/// named temporaryPrefix and six random characters, is written, synced, given the target's
/// permission bits (newFileMode when there is no target yet) and renamed over the target; the
/// folder is synced. On failure the file stays as it was and no temporary remains.
int replaceFile(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode);

}  // namespace muralto::platform
