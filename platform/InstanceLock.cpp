#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace muralto::platform {

namespace {

constexpr const char* kLockName = "muralto-instances.lock";
constexpr const char* kSaverLockName = "muralto-saver.lock";
/// How often, 5 ms apart, a share is tried while another starter still holds the lock
/// exclusively.
constexpr int kShareAttempts = 20;

/// Whether st describes something of this user that no one else may write to.
bool ownedAndPrivate(const struct stat& st, mode_t forbidden) {
    return st.st_uid == ::geteuid() && (st.st_mode & forbidden) == 0;
}

/// A runtime folder is usable when only this user can add or replace files in it.
bool usableRuntimeFolder(const std::string& folder) {
    struct stat st {};
    return !folder.empty() && folder.front() == '/' && ::stat(folder.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode) && ownedAndPrivate(st, S_IWGRP | S_IWOTH);
}

/// Makes the fallback folder when missing; usable when it is a real folder (not a link) of
/// this user that no one else may enter, so no one else can have planted anything in it.
bool usableFallbackFolder(const std::string& folder) {
    if (folder.empty() || folder.front() != '/')
        return false;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ownedAndPrivate(st, S_IRWXG | S_IRWXO);
}

/// Opens (creating) the lock file: never through a link, never waiting on a FIFO or device,
/// and only a regular file of this user. -1 when it cannot be used.
int openLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

/// flock without waiting, repeated when a signal interrupts it; 0 or the errno value.
int lockNow(int fd, int operation) {
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

/// Takes the shared lock, waiting a little while another starter holds it exclusively
/// between its try and its share.
bool takeShare(int fd) {
    for (int attempt = 0; attempt < kShareAttempts; ++attempt) {
        const int error = lockNow(fd, LOCK_SH);
        if (error != EWOULDBLOCK)
            return error == 0;
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
    return false;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& runtimeDirectory)
    : InstanceLock(runtimeDirectory, defaultFallbackDirectory()) {}

InstanceLock::InstanceLock(const std::string& runtimeDirectory,
                           const std::string& fallbackDirectory) {
    if (usableRuntimeFolder(runtimeDirectory) && tryFolder(runtimeDirectory))
        return;
    if (usableFallbackFolder(fallbackDirectory))
        tryFolder(fallbackDirectory);
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
    if (saverFd_ >= 0)
        ::close(saverFd_);
}

bool InstanceLock::claimSaver() {
    if (saverFd_ >= 0 || lockFile_.empty())
        return true;
    const std::string path = lockFile_.substr(0, lockFile_.rfind('/') + 1) + kSaverLockName;
    const int fd = openLockFile(path);
    if (fd < 0)
        return true;
    const int error = lockNow(fd, LOCK_EX);
    if (error != 0) {
        ::close(fd);
        return error != EWOULDBLOCK;
    }
    saverFd_ = fd;
    return true;
}

std::string InstanceLock::defaultFallbackDirectory() {
    return "/tmp/muralto-" + std::to_string(::geteuid());
}

/// Decides with the lock file in folder; false when that file cannot be used at all.
bool InstanceLock::tryFolder(const std::string& folder) {
    const std::string path = folder + (folder.back() == '/' ? "" : "/") + kLockName;
    const int fd = openLockFile(path);
    if (fd < 0)
        return false;
    const int error = lockNow(fd, LOCK_EX);
    if (error != 0 && error != EWOULDBLOCK) {
        ::close(fd);  // the file system offers no locks
        return false;
    }
    another_ = error == EWOULDBLOCK;
    if (!takeShare(fd)) {
        ::close(fd);
        return true;
    }
    fd_ = fd;
    lockFile_ = path;
    return true;
}

}  // namespace muralto::platform
