// Plays arbitrary bytes as a metafile, on a small canvas and with the GUI application that text
// needs: whatever they hold, the play ends within its bounds and the picture, when there is one,
// is the fitted size of the natural size, opaque.
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "imaging/wmf/WmfPlayer.h"

using namespace muralto::imaging;

namespace {

void startApplication() {
    static int argc = 1;
    static char name[] = "wmf_play";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static const auto application = std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

/// Fontconfig's caches, which Qt's font database fills as it meets new font families, are
/// never freed; they are no leak of the player's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (startApplication(), true);
    (void)started;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TargetSize target{96, 64};
    const WmfPicture picture = renderWmf(bytes, target, 32LL << 20);
    if (picture.error.empty() == picture.image.isNull())
        std::abort();
    if (!picture.image.isNull() && (picture.image.size() != fittedSize(picture.natural, target) ||
                                    picture.image.format() != QImage::Format_RGB32))
        std::abort();
    return 0;
}
