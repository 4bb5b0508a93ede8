#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace muralto::platform {
namespace {

/// As many links as the kernel follows in one path before it gives up.
constexpr int kMaxLinks = 40;

int syncDirectory(const std::filesystem::path& dir) {
    FileDescriptor fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

int FileDescriptor::close() {
    const int rc = ::close(std::exchange(fd_, -1));
    return rc == 0 ? 0 : errno;
}

int readAll(int fd, std::string& out) {
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int followLinks(const std::filesystem::path& file, std::filesystem::path& target) {
    target = file;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;  // a new file goes where the chain ends
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec)
            return ec.value();
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return ELOOP;
}

std::string temporaryPrefix(const std::filesystem::path& target) {
    return target.filename().string() + ".tmp-";
}

int replaceFile(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode) {
    std::filesystem::path target;
    if (const int err = followLinks(file, target))
        return err;
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : newFileMode;
    std::string temporary = (target.parent_path() / (temporaryPrefix(target) + "XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    auto fail = [&](int err) {
        ::unlink(temporary.c_str());
        return err;
    };
    if (::fchmod(fd.get(), mode) != 0)
        return fail(errno);
    if (const int err = writeAll(fd.get(), bytes))
        return fail(err);
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (const int err = fd.close())
        return fail(err);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    syncDirectory(target.parent_path());
    return 0;
}

}  // namespace muralto::platform
