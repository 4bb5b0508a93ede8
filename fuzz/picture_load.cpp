// Loads arbitrary bytes as a picture file through the loader, with limits small enough that a
// picture within them decodes at once: every input is a picture fitted to the target or a
// failure with a message.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/PictureLoader.h"

using namespace muralto::imaging;

namespace {

/// A file in memory holding the input, named by a path that the loader opens.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("picture", MFD_CLOEXEC)) {
        if (fd_ < 0)
            std::abort();
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string hold(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, data, size, 0) != ssize_t(size))
            std::abort();
        return "/proc/self/fd/" + std::to_string(fd_);
    }

private:
    int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    const TargetSize target{64, 48};
    const DecodeLimits limits{.pixels = 4'000'000, .memory = 32LL << 20};
    const LoadedPicture loaded = loadPicture(file.hold(data, size), target, limits);
    if (loaded.ok() == loaded.image.isNull() || loaded.ok() == !loaded.error.empty())
        std::abort();
    if (loaded.ok() &&
        (loaded.image.width() > target.width || loaded.image.height() > target.height ||
         loaded.image.format() != QImage::Format_RGB32))
        std::abort();
    return 0;
}
