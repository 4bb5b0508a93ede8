// Runs against a real X server (Xvfb at depth 24 or 16): sets the root pixmap and reads the
// pixels back through the server.
#include <gtest/gtest.h>

#include <functional>

#include "platform/gui/WallpaperX11.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XDisplay.h"

namespace muralto::platform {
namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 23;

/// Colours that a 5-6-5 screen shows exactly, in a pattern that is neither symmetric nor
/// periodic in the bitmap's size, so a shift, flip or swapped channel shows.
QRgb patternColour(int x, int y) {
    static const QRgb kPalette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0xFF00FF};
    return kPalette[(x * 7 + y * 13 + (x * y) % 5) % 6];
}

class X11ServerTest : public test::XServerTest {
protected:
    void SetUp() override {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The decoder below knows the two layouts that Xvfb uses on this machine.
        ASSERT_EQ(xcb_get_setup(connection_)->image_byte_order, XCB_IMAGE_ORDER_LSB_FIRST);
        ASSERT_TRUE(screen_->root_depth == 24 || screen_->root_depth == 16);
        QImage bitmap(kWidth, kHeight, QImage::Format_RGB32);
        for (int i = 0; i < kWidth * kHeight; ++i)
            bitmap.setPixel(i % kWidth, i / kWidth, patternColour(i % kWidth, i / kWidth));
        ASSERT_TRUE(bitmap.save(QString::fromStdString(bitmapPath_), "BMP"));
    }
    void setWallpaper(Placement placement) {
        const Result<> set = X11WallpaperSetter().setWallpaper({bitmapPath_, placement, {}});
        ASSERT_TRUE(set) << set.error();
    }

    xcb_pixmap_t rootProperty(const char* name) {
        return xcb::getProperty(connection_, screen_->root, display_.atom(name), XCB_ATOM_PIXMAP, 1)
            .single32(XCB_ATOM_PIXMAP)
            .value_or(0);
    }

    /// Reads the drawable back (BGRX at depth 24, 5-6-5 at depth 16, least significant byte
    /// first) and reports the first pixel that differs from expected(x, y) and how many do.
    void expectScreen(xcb_drawable_t drawable, const std::function<QRgb(int, int)>& expected) {
        const int width = screen_->width_in_pixels, height = screen_->height_in_pixels;
        const auto reply = xcb::reply(connection_,
                                      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                    drawable, 0, 0, width, height, ~0u),
                                      xcb_get_image_reply);
        ASSERT_TRUE(reply);
        const std::uint8_t* data = xcb_get_image_data(reply.get());
        const int stride = xcb_get_image_data_length(reply.get()) / height, bytes = stride / width;
        int wrong = 0;
        for (int i = 0; i < width * height; ++i) {
            const int x = i % width, y = i / width;
            const std::uint8_t* p = data + y * stride + x * bytes;
            const unsigned v = p[0] | p[1] << 8, r = v >> 11, g = (v >> 5) & 0x3F, b = v & 0x1F;
            const QRgb got =
                bytes == 4 ? p[2] << 16 | p[1] << 8 | p[0]
                           : (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | b << 3 | b >> 2;
            if (got != expected(x, y) && wrong++ == 0) {
                ADD_FAILURE() << "first difference at " << x << "," << y << ": " << std::hex << got
                              << " instead of " << expected(x, y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    test::TempDir dir_;
    std::string bitmapPath_ = (dir_.path() / "jdoe.bmp").string();
};

TEST_F(X11ServerTest, EachChangeFreesTheEarlierPixmapAndTheRootShowsTheNewOne) {
    setWallpaper(Placement::Centred);
    const xcb_pixmap_t first = rootProperty("_XROOTPMAP_ID");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), first);

    setWallpaper(Placement::Tiled);
    const xcb_pixmap_t second = rootProperty("_XROOTPMAP_ID");
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), second);
    EXPECT_FALSE(display_.exists(first));
    const auto tiled = [](int x, int y) { return patternColour(x % kWidth, y % kHeight); };
    // With no window on it, the root window shows its background: what the user sees.
    expectScreen(screen_->root, tiled);
}

TEST_F(X11ServerTest, APixmapThatOnlyTheDesktopNamesIsLeftAlone) {
    // A desktop that published its own pixmap in _XROOTPMAP_ID alone: its client must live on.
    const xcb_pixmap_t own = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, own, screen_->root, 8, 8);
    xcb_delete_property(connection_, screen_->root, display_.atom("ESETROOT_PMAP_ID"));
    display_.setProperty(screen_->root, "_XROOTPMAP_ID", XCB_ATOM_PIXMAP, 32, &own, 1);
    setWallpaper(Placement::Centred);
    EXPECT_TRUE(display_.exists(own));
    EXPECT_FALSE(xcb_connection_has_error(connection_));
    EXPECT_NE(rootProperty("_XROOTPMAP_ID"), own);
}

}  // namespace
}  // namespace muralto::platform
