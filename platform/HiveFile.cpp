#include "platform/HiveFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <utility>

#include "platform/FileIo.h"
#include "platform/ProgramIdentity.h"

namespace muralto::platform {
namespace {

/// A hive larger than this is not one of ours; it is treated as unreadable and left alone.
constexpr std::size_t kMaxHiveBytes = 64 * 1024 * 1024;

/// Creates the folder and its parents with mode 0700 where they are missing.
int makeFolders(const std::filesystem::path& dir) {
    std::filesystem::path partial;
    for (const auto& part : dir) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

/// Takes the exclusive lock, waiting while another process holds it, but no longer than
/// timeout: EWOULDBLOCK then.
int lockExclusive(int fd, std::chrono::milliseconds timeout,
                  std::chrono::steady_clock::time_point latest) {
    const auto deadline = std::min(std::chrono::steady_clock::now() + timeout, latest);
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return errno;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return EWOULDBLOCK;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return 0;
}

}  // namespace

HiveFile::Identity HiveFile::identityOf(const struct stat& st) {
    auto ns = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return {st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}

HiveFile::HiveFile(std::filesystem::path file, std::string rootName, bool readOnly)
    : file_(std::move(file)), rootName_(std::move(rootName)), readOnly_(readOnly) {}

int HiveFile::read(const std::function<void(const HiveTree&)>& reader) {
    if (pending_) {
        reader(*pending_);
        return 0;
    }
    const int err = refresh();
    reader(tree_);
    return err;
}

void HiveFile::forget() {
    tree_ = HiveTree();
    haveIdentity_ = false;
    corrupt_ = false;
    corruptBytes_.clear();
}

int HiveFile::refresh() {
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) {
        const int err = errno;
        forget();
        return err == ENOENT ? 0 : err;
    }
    if (haveIdentity_ && identityOf(st) == identity_)
        return 0;
    FileDescriptor fd(::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        forget();
        return err == ENOENT ? 0 : err;
    }
    return load(fd.get());
}

int HiveFile::load(int fd) {
    forget();
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (static_cast<std::size_t>(st.st_size) > kMaxHiveBytes)
        return EFBIG;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    if (const int err = readAll(fd, bytes))
        return err;
    ParsedHive parsed = parseHive(bytes, rootName_);
    ++parseCount_;
    tree_ = std::move(parsed.tree);
    corrupt_ = parsed.badLines > 0;
    if (corrupt_)
        corruptBytes_ = std::move(bytes);
    identity_ = identityOf(st);
    haveIdentity_ = true;
    return 0;
}

int HiveFile::modify(const Change& change) {
    if (readOnly_)
        return EACCES;
    return batchDepth_ > 0 ? holdBack(change) : writeNow(change);
}

int HiveFile::holdBack(const Change& change) {
    if (!pending_) {
        // What cannot be read is not replaced: the change fails as its write would.
        if (const int err = refresh())
            return err;
        pending_ = tree_;
    }
    if (const int err = change(*pending_))
        return err;
    heldBack_.push_back(change);
    return 0;
}

int HiveFile::endBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return 0;
    const std::vector<Change> changes = std::exchange(heldBack_, {});
    pending_.reset();
    if (changes.empty())
        return 0;
    // Each change is made again on the file as it is now, as its own write would have been: one
    // that no longer applies (another process changed the file meanwhile) is left out.
    return writeNow([&](HiveTree& tree) {
        for (const Change& change : changes)
            change(tree);
        return 0;
    });
}

int HiveFile::writeNow(const Change& change) {
    if (const int err = makeFolders(file_.parent_path()))
        return err;
    const std::filesystem::path lockPath = file_.string() + ".lock";
    FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return errno;
    if (const int err = lockExclusive(lock.get(), lockTimeout_, lockDeadline_))
        return err;

    // What cannot be read is not replaced: the write fails and the file stays as it is.
    if (const int err = refresh())
        return err;
    std::filesystem::path target;
    if (const int err = followLinks(file_, target))
        return err;
    removeStaleTemporaries(target);
    HiveTree next = tree_;
    if (const int err = change(next))
        return err;
    if (corrupt_) {
        if (const int err = keepCorruptCopy())
            return err;
    }
    return writeTree(std::move(next));
}

int HiveFile::keepCorruptCopy() const {
    const std::string base = file_.string() + ".corrupt-" + utcTimestamp();
    std::string name = base;
    int fdNumber = -1;
    for (int n = 2;
         (fdNumber = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0;
         ++n) {
        if (errno != EEXIST)
            return errno;
        name = base + "-" + std::to_string(n);
    }
    FileDescriptor fd(fdNumber);
    if (const int err = writeAll(fd.get(), corruptBytes_))
        return err;
    if (::fsync(fd.get()) != 0)
        return errno;
    return fd.close();
}

int HiveFile::writeTree(HiveTree tree) {
    // A file the next read would refuse is not written: the current one stays.
    const auto text = serializeHiveUpTo(tree, rootName_, kMaxHiveBytes);
    if (!text)
        return EFBIG;
    if (const int err = replaceFile(file_, *text, 0600))
        return err;
    ++writeCount_;
    tree_ = std::move(tree);
    corrupt_ = false;
    corruptBytes_.clear();
    struct stat st {};
    haveIdentity_ = ::stat(file_.c_str(), &st) == 0;
    identity_ = identityOf(st);
    return 0;
}

void HiveFile::removeStaleTemporaries(const std::filesystem::path& target) const {
    // Only a writer holding the lock creates temporaries, so any found now were left by a
    // writer that died. Readers take no lock and never open them.
    const std::string prefix = temporaryPrefix(target);
    std::error_code ec;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

std::filesystem::path currentUserHivePath() {
    std::filesystem::path base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* pw = ::getpwuid(::geteuid());
            home = pw ? pw->pw_dir : "/";
        }
        base = std::filesystem::path(home) / ".config";
    }
    return base / kCompanyName / kProgramTitle / "HKCU.reg";
}

}  // namespace muralto::platform
