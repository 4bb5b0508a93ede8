// Runs against a real X server (Xvfb at depth 24 or 16): sets the root pixmap and reads the
// pixels back through the server.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "WallpaperX11.h"

namespace muralto::platform {
namespace {

constexpr int kBitmapWidth = 37;
constexpr int kBitmapHeight = 23;

/// Colours that a 5-6-5 screen shows exactly, in a pattern that is neither symmetric nor
/// periodic in the bitmap's size, so a shift, flip or swapped channel shows.
QRgb patternColour(int x, int y) {
    static const QRgb kPalette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0xFF00FF};
    return kPalette[(x * 7 + y * 13 + (x * y) % 5) % 6];
}

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

class X11ServerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        connection_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(connection_));
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        screen_ = xcb_setup_roots_iterator(setup).data;
        // The decoder below knows the two layouts that Xvfb uses on this machine.
        ASSERT_EQ(setup->image_byte_order, XCB_IMAGE_ORDER_LSB_FIRST);
        ASSERT_TRUE(screen_->root_depth == 24 || screen_->root_depth == 16);
        QImage bitmap(kBitmapWidth, kBitmapHeight, QImage::Format_RGB32);
        for (int y = 0; y < kBitmapHeight; ++y) {
            for (int x = 0; x < kBitmapWidth; ++x)
                bitmap.setPixel(x, y, patternColour(x, y));
        }
        bitmapPath_ = (dir_.path() / "jdoe.bmp").string();
        ASSERT_TRUE(bitmap.save(QString::fromStdString(bitmapPath_), "BMP"));
    }
    void TearDown() override {
        if (connection_)
            xcb_disconnect(connection_);
    }

    int width() const { return screen_->width_in_pixels; }
    int height() const { return screen_->height_in_pixels; }

    void setWallpaper(Placement placement) {
        X11WallpaperSetter setter;
        std::string error;
        ASSERT_TRUE(setter.setWallpaper(bitmapPath_, placement, &error)) << error;
    }

    xcb_atom_t atom(const char* name) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr));
        return reply ? reply->atom : 0;
    }

    xcb_pixmap_t rootProperty(const char* name) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, screen_->root, atom(name), XCB_ATOM_PIXMAP, 0, 1),
            nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) != 4)
            return 0;
        return *static_cast<xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
    }

    bool exists(xcb_drawable_t drawable) {
        xcb_generic_error_t* error = nullptr;
        Reply<xcb_get_geometry_reply_t> reply(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, drawable), &error));
        std::free(error);
        return reply != nullptr;
    }

    /// The drawable's pixels as 0xRRGGBB, decoded from Xvfb's layouts (BGRX at depth 24,
    /// 5-6-5 at depth 16, both least significant byte first).
    std::vector<QRgb> readPixels(xcb_drawable_t drawable) {
        Reply<xcb_get_image_reply_t> reply(
            xcb_get_image_reply(connection_,
                                xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0,
                                              0, width(), height(), ~0u),
                                nullptr));
        if (!reply)
            return {};
        const std::uint8_t* data = xcb_get_image_data(reply.get());
        const bool deep = screen_->root_depth == 24;
        const std::size_t stride = deep ? width() * 4u : (width() * 2u + 3) / 4 * 4;
        std::vector<QRgb> pixels;
        for (int y = 0; y < height(); ++y) {
            const std::uint8_t* row = data + y * stride;
            for (int x = 0; x < width(); ++x) {
                if (deep) {
                    pixels.push_back(qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]));
                } else {
                    const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
                    const unsigned r = v >> 11, g = (v >> 5) & 0x3F, b = v & 0x1F;
                    pixels.push_back(qRgb(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2));
                }
            }
        }
        return pixels;
    }

    /// Compares a drawable with the expected screen; reports the first difference and count.
    void expectScreen(xcb_drawable_t drawable, const std::function<QRgb(int, int)>& expected) {
        const auto pixels = readPixels(drawable);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width() * height()));
        int wrong = 0;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                const QRgb got = pixels[y * width() + x] & 0xFFFFFF;
                const QRgb want = expected(x, y) & 0xFFFFFF;
                if (got != want && wrong++ == 0) {
                    ADD_FAILURE() << "first difference at " << x << "," << y << ": " << std::hex
                                  << got << " instead of " << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    test::TempDir dir_;
    std::string bitmapPath_;
    xcb_connection_t* connection_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
};

TEST_F(X11ServerTest, CentredBitmapOnBlack) {
    setWallpaper(Placement::Centred);
    const xcb_pixmap_t pixmap = rootProperty("_XROOTPMAP_ID");
    ASSERT_NE(pixmap, 0u);
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), pixmap);
    const int left = (width() - kBitmapWidth) / 2;
    const int top = (height() - kBitmapHeight) / 2;
    const auto expected = [&](int x, int y) -> QRgb {
        const bool inside =
            x >= left && x < left + kBitmapWidth && y >= top && y < top + kBitmapHeight;
        return inside ? patternColour(x - left, y - top) : 0;
    };
    expectScreen(pixmap, expected);
    // With no window on it, the root window shows its background: what the user sees.
    expectScreen(screen_->root, expected);
}

TEST_F(X11ServerTest, TiledFromTheTopLeftCorner) {
    setWallpaper(Placement::Tiled);
    const xcb_pixmap_t pixmap = rootProperty("_XROOTPMAP_ID");
    ASSERT_NE(pixmap, 0u);
    const auto expected = [](int x, int y) {
        return patternColour(x % kBitmapWidth, y % kBitmapHeight);
    };
    expectScreen(pixmap, expected);
    expectScreen(screen_->root, expected);
}

TEST_F(X11ServerTest, ASecondSetFreesTheFirstPixmap) {
    setWallpaper(Placement::Centred);
    const xcb_pixmap_t first = rootProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(exists(first));
    setWallpaper(Placement::Tiled);
    const xcb_pixmap_t second = rootProperty("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), second);
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(second));
}

TEST_F(X11ServerTest, APixmapThatOnlyTheDesktopNamesIsLeftAlone) {
    // A desktop that published its own pixmap in _XROOTPMAP_ID alone: its client must live on.
    const xcb_pixmap_t own = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, own, screen_->root, 8, 8);
    xcb_delete_property(connection_, screen_->root, atom("ESETROOT_PMAP_ID"));
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, screen_->root, atom("_XROOTPMAP_ID"),
                        XCB_ATOM_PIXMAP, 32, 1, &own);
    xcb_flush(connection_);
    setWallpaper(Placement::Centred);
    EXPECT_TRUE(exists(own));
    EXPECT_FALSE(xcb_connection_has_error(connection_));
    EXPECT_NE(rootProperty("_XROOTPMAP_ID"), own);
}

}  // namespace
}  // namespace muralto::platform
