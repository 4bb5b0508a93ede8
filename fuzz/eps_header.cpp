// Reads arbitrary bytes as the binary header of an EPS file, and loads them as a picture file:
// a preview named is wholly within the file, and the load gives a picture within the target or
// a failure with a message.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "imaging/EpsPreview.h"
#include "imaging/PictureLoader.h"

using namespace muralto::imaging;

namespace {

/// A file in memory holding the input, named by a path that the loader opens.
std::string hold(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("eps", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool tiff : {false, true}) {
        const EpsHeader eps = readEpsHeader(bytes, size, tiff);
        if (eps.error.empty() && (eps.preview.length == 0 || eps.preview.offset > size ||
                                  eps.preview.length > size - eps.preview.offset))
            std::abort();
    }
    const TargetSize target{64, 48};
    const LoadedPicture loaded =
        loadPicture(hold(data, size), target, {.pixels = 4'000'000, .memory = 32LL << 20});
    if (loaded.ok() == loaded.image.isNull() ||
        (loaded.ok() &&
         (loaded.image.width() > target.width || loaded.image.height() > target.height)))
        std::abort();
    return 0;
}
