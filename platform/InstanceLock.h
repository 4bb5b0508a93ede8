#pragma once

#include <string>

namespace muralto::platform {

/// This process's share of a per-user lock that every running instance of the program holds.
///
/// The lock is the kernel's flock on the file "muralto-instances.lock": every instance holds it
/// shared for its lifetime (the share goes with the process, however it ends), and a starting
/// instance first tries to take it exclusively without waiting; when that fails, someone else
/// holds it. The file is opened close-on-exec, so programs this one starts do not keep it.
///
/// Two instances starting together: the kernel grants the exclusive try to one of them; the
/// other's try fails, so it sees "another instance". The winner turns its exclusive lock into
/// its share in one call (done under the kernel's lock list on Linux), and the other takes its
/// share as soon as that has happened, retrying for up to 100 ms. Of two overlapping
/// instances, at most one can believe it is alone.
///
/// Where the lock cannot be used, this instance counts as alone: being wrong that way costs at
/// most a second saver, while being wrong the other way would let a file planted at the lock
/// path keep the saver from ever starting.
class InstanceLock {
public:
    /// Takes the share in runtimeDirectory (the caller passes $XDG_RUNTIME_DIR) and notes
    /// whether another process held the lock already.
    ///
    /// runtimeDirectory is used when it is an absolute path to a folder that this user owns and
    /// no one else may write, and the lock file in it can be opened. Otherwise (empty, missing,
    /// open to others, or holding something unusable at the lock path) the lock lives in
    /// defaultFallbackDirectory(): "/tmp/muralto-<uid>", made with mode 0700 when missing and
    /// used only when it is a real folder (no link) of this user that no one else may enter.
    /// Every instance of a session meets the same runtime directory, so all of them agree on
    /// the file.
    explicit InstanceLock(const std::string& runtimeDirectory);
    /// As above with another fallback folder (tests keep theirs in a temporary folder).
    InstanceLock(const std::string& runtimeDirectory, const std::string& fallbackDirectory);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /// Whether another instance was running when this one started.
    bool anotherInstanceRunning() const { return another_; }
    /// Takes the screen saver's place: an exclusive flock on "muralto-saver.lock" beside the
    /// instances' lock, held until this process ends, however it ends. False when another
    /// process holds it: a saver runs. Taking it again succeeds. Where the lock cannot be
    /// used, this process counts as the only saver (as above).
    bool claimSaver();
    /// The lock file whose share this process holds; empty when it holds none (neither folder
    /// nor its lock file was usable, or someone held the lock exclusively for longer than the
    /// retries).
    const std::string& lockFile() const { return lockFile_; }

    /// "/tmp/muralto-<effective uid>".
    static std::string defaultFallbackDirectory();

private:
    bool tryFolder(const std::string& folder);

    int fd_ = -1;
    int saverFd_ = -1;
    bool another_ = false;
    std::string lockFile_;
};

}  // namespace muralto::platform
