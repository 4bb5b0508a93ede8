#include "imaging/BitmapWriter.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/ProgramIdentity.h"

namespace muralto::imaging {

namespace {

constexpr std::uint32_t kHeaderSize = 14 + 40;   // file header and BITMAPINFOHEADER
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch
// Rows go out in blocks small enough to come from the heap's warm pages: a larger block would be
// a fresh mapping, faulted in page by page at every update.
constexpr std::size_t kFlushSize = 96 * 1024;

/// Closes a file descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    /// Closes now; 0 or the errno value of a failed close.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

void put16(std::string& out, std::uint16_t value) {
    out.push_back(char(value & 0xFF));
    out.push_back(char(value >> 8));
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, std::uint16_t(value & 0xFFFF));
    put16(out, std::uint16_t(value >> 16));
}

std::string bitmapHeader(int width, int height, std::uint32_t pixelBytes) {
    std::string header;
    header.reserve(kHeaderSize);
    header += "BM";
    put32(header, kHeaderSize + pixelBytes);
    put32(header, 0);  // reserved
    put32(header, kHeaderSize);
    put32(header, 40);
    put32(header, std::uint32_t(width));
    put32(header, std::uint32_t(height));  // positive: rows run bottom-up
    put16(header, 1);                      // planes
    put16(header, 24);                     // bits a pixel
    put32(header, 0);                      // BI_RGB, no compression
    put32(header, pixelBytes);
    put32(header, kPixelsPerMetre);
    put32(header, kPixelsPerMetre);
    put32(header, 0);  // colours used
    put32(header, 0);  // important colours
    return header;
}

/// 0 or the errno value of the failed write.
int writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        done += std::size_t(n);
    }
    return 0;
}

/// Appends one canvas row as blue, green, red bytes padded to a multiple of 4.
void appendRow(std::string& out, const QImage& image, int y) {
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const int width = image.width();
    const std::size_t start = out.size();
    const std::size_t padding = std::size_t((4 - (width * 3) % 4) % 4);
    out.resize(start + std::size_t(width) * 3 + padding);  // the padding comes zeroed
    char* bytes = out.data() + start;
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels, whose words are B G R X in memory, make three words of B G R B G R ...
        for (; x + 4 <= width; x += 4, bytes += 12) {
            const std::uint32_t words[3] = {(pixels[x] & 0xFFFFFF) | pixels[x + 1] << 24,
                                            (pixels[x + 1] >> 8 & 0xFFFF) | pixels[x + 2] << 16,
                                            (pixels[x + 2] >> 16 & 0xFF) | pixels[x + 3] << 8};
            std::memcpy(bytes, words, sizeof words);
        }
    }
    for (; x < width; ++x, bytes += 3) {
        bytes[0] = char(qBlue(pixels[x]));
        bytes[1] = char(qGreen(pixels[x]));
        bytes[2] = char(qRed(pixels[x]));
    }
}

/// Writes the bitmap of image (RGB32 or ARGB32) to fd; 0 or an errno value.
int writeBitmapTo(int fd, const QImage& image) {
    const std::uint64_t rowBytes = (std::uint64_t(image.width()) * 3 + 3) / 4 * 4;
    const std::uint64_t pixelBytes = rowBytes * std::uint64_t(image.height());
    if (pixelBytes > std::numeric_limits<std::uint32_t>::max() - kHeaderSize)
        return EFBIG;
    std::string buffer = bitmapHeader(image.width(), image.height(), std::uint32_t(pixelBytes));
    buffer.reserve(kFlushSize + rowBytes + kHeaderSize);
    for (int y = image.height() - 1; y >= 0; --y) {
        appendRow(buffer, image, y);
        if (buffer.size() >= kFlushSize) {
            if (const int err = writeAll(fd, buffer))
                return err;
            buffer.clear();
        }
    }
    return writeAll(fd, buffer);
}

/// Puts the file temporary in the place of path at once; 0 or an errno value. Where the system
/// can, an old bitmap and the new one swap names and the old one goes after: ext4 starts
/// writing a file out to disk when another is renamed over it (4 ms for a bitmap of 5 MB here),
/// which a swap does not. Elsewhere, and where path is no regular file, temporary is renamed
/// over path.
int moveInto(const std::string& temporary, const std::string& path) {
#ifdef RENAME_EXCHANGE
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporary.c_str());  // the old bitmap, under the temporary name now
        return 0;
    }
#endif
    return ::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

/// Writes image to a temporary file beside path and moves it into place; 0 or an errno value.
/// Nothing is synced: the bitmap is made again at every start, and a resident program that
/// forced a disk write every minute would keep a laptop's disk awake for no gain.
int replaceAtomically(const QImage& image, const std::string& path) {
    std::string temporary = path + ".tmp-XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    int err = ::fchmod(fd.get(), 0644) == 0 ? 0 : errno;
    if (!err)
        err = writeBitmapTo(fd.get(), image);
    if (const int closed = fd.close(); !err)
        err = closed;
    if (!err)
        err = moveInto(temporary, path);
    if (err) {
        ::unlink(temporary.c_str());
        return err;
    }
    return 0;
}

bool writableDirectory(const std::string& dir) {
    struct stat st {};
    return !dir.empty() && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string dataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* pw = ::getpwuid(::geteuid());
        home = pw && pw->pw_dir ? pw->pw_dir : "/";
    }
    return std::string(home) + "/.local/share";
}

/// Creates dir and its missing parents with mode 0700; errors show when the bitmap is written.
void makeFolders(const std::string& dir) {
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        ::mkdir(dir.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
}

}  // namespace

std::string bitmapFileName(const std::optional<std::string>& userName) {
    return (userName && !userName->empty() ? *userName : std::string("No Logged In User")) + ".bmp";
}

std::string wallpaperBitmapPath(const std::string& programDirectory,
                                const std::optional<std::string>& userName) {
    const std::string name = bitmapFileName(userName);
    if (writableDirectory(programDirectory)) {
        return programDirectory + (programDirectory.ends_with('/') ? "" : "/") + name;
    }
    const std::string folder = dataHome() + "/" + std::string(platform::kCompanyName) + "/" +
                               std::string(platform::kProgramTitle);
    makeFolders(folder);
    return folder + "/" + name;
}

std::string writeBitmap(const QImage& canvas, const std::string& path) {
    if (canvas.isNull())
        return "cannot write bitmap '" + path + "': there is no picture";
    const bool direct =
        canvas.format() == QImage::Format_RGB32 || canvas.format() == QImage::Format_ARGB32;
    const QImage image = direct ? canvas : canvas.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return "cannot write bitmap '" + path + "': not enough memory";
    if (const int err = replaceAtomically(image, path)) {
        return "cannot write bitmap '" + path + "': " + std::strerror(err);
    }
    return {};
}

}  // namespace muralto::imaging
