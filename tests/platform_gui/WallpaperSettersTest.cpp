#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "platform/gui/BitmapCopies.h"
#include "platform/gui/WallpaperDesktops.h"
#include "platform/gui/WallpaperPlasma.h"
#include "platform/gui/WallpaperX11.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using Args = std::vector<std::string>;

ProcessResult exited(int code, std::string output = {}) {
    return {true, code, output, {}, {}};
}

/// A desktop whose tools work: each run is recorded as {program, arguments...}, each Plasma
/// script as {"plasma", script}. gsettings and xfconf-query give back what was set (unless
/// dropWrites); xfconf-query lists `listing`; swaymsg answers swayAnswer; a run with `failing`
/// among its arguments exits with 1.
struct FakeDesktop : ProcessRunner, PlasmaShell, ProcessList {
    ProcessResult run(const std::string& program, const Args& arguments) override {
        calls.push_back(arguments);
        calls.back().insert(calls.back().begin(), program);
        if (std::find(arguments.begin(), arguments.end(), failing) != arguments.end())
            return exited(1);
        if (program == "gsettings" && arguments.size() >= 3)
            return keep(arguments[1] + " " + arguments[2], arguments, 3);
        if (program == "xfconf-query" && arguments.size() >= 4 && arguments[2] == "-p")
            return keep(arguments[3], arguments, arguments.size() - 1);
        if (program == "xfconf-query")
            return exited(0, listing);
        return program == "swaymsg" ? swayAnswer : exited(0);
    }
    Result<> evaluateScript(const std::string& script) override {
        calls.push_back({"plasma", script});
        return {};
    }
    std::vector<Args> commandLines() override { return processes; }

    ProcessResult keep(const std::string& key, const Args& arguments, std::size_t valueAt) {
        const bool sets = arguments[0] == "set" ||
                          std::find(arguments.begin(), arguments.end(), "-s") != arguments.end();
        if (sets && !dropWrites)
            settings[key] = arguments[valueAt];
        return sets ? exited(0) : exited(0, settings[key] + "\n");
    }

    std::vector<Args> calls;
    ProcessResult swayAnswer = exited(0, "[ { \"success\": true } ]");
    std::string listing, failing;
    bool dropWrites = false;
    std::map<std::string, std::string> settings;
    std::vector<Args> processes{{"pcmanfm", "--desktop"}, {"pcmanfm-qt", "--desktop"}};
};

TEST(ChooseWallpaperBackend, OverrideThenDesktopEntriesThenSessionVariables) {
    const std::pair<std::map<std::string, std::string>, const char*> cases[] = {
        {{}, "x11"},
        {{{"XDG_SESSION_TYPE", "Wayland"}}, "none"},
        {{{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, "gnome"},
        {{{"XDG_CURRENT_DESKTOP", "MATE:GNOME"}}, "mate"},
        {{{"KDE_SESSION_VERSION", "6"}, {"XDG_SESSION_TYPE", "wayland"}}, "kde"},
        {{{"MURALTO_WALLPAPER_BACKEND", "X11"}, {"XDG_SESSION_TYPE", "wayland"}}, "x11"},
        {{{"MURALTO_WALLPAPER_BACKEND", "bogus"}, {"XDG_CURRENT_DESKTOP", "XFCE"}}, "xfce"},
        {{{"MURALTO_WALLPAPER_BACKEND", "None"}, {"XDG_CURRENT_DESKTOP", "GNOME"}}, "none"},
    };
    for (const auto& [variables, expected] : cases) {
        EXPECT_EQ(backendName(chooseWallpaperBackend({variables})), expected)
            << testing::PrintToString(variables);
    }
}

/// Pictures spelled as rows of letters split by '|', one colour each; '.' is black.
QImage picture(const std::string& rows) {
    const int width = static_cast<int>(std::min(rows.find('|'), rows.size()));
    QImage image(width, static_cast<int>(rows.size() + 1) / (width + 1), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const char c = rows[y * (width + 1) + x];
            image.setPixel(x, y, c == '.' ? qRgb(0, 0, 0) : qRgb(c, 255 - c, 100));
        }
    }
    return image;
}

class DesktopTest : public testing::Test {
protected:
    test::TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string bitmap = dir.write("jdoe.bmp", "BM").string();
    std::shared_ptr<FakeDesktop> runner = std::make_shared<FakeDesktop>();
    WallpaperServices services{runner, runner, runner, (dir.path() / "config").string(), {}};

    std::unique_ptr<WallpaperSetter> make(WallpaperBackend backend) const {
        return makeWallpaperSetter(backend, services);
    }
    WallpaperJob job(Placement placement, const std::string& path = {}) const {
        return {path.empty() ? bitmap : path, placement, QSize(8, 6)};
    }
};

/// Failures the desktop's tools hide or report; the change stops with a reason on one line.
TEST_F(DesktopTest, AFailureStopsTheChangeWithItsReason) {
    using enum WallpaperBackend;
    struct Case {
        std::unique_ptr<WallpaperSetter> setter;
        std::string bitmap;
        std::function<void(FakeDesktop&)> desktop;
        std::size_t calls;
        std::string error;  // how the reason begins
    };
    const Case cases[] = {
        {make(Gnome), bitmap, [](FakeDesktop& d) { d.failing = "picture-options"; }, 1,
         "gsettings failed with exit code 1"},
        // No dconf to commit to: gsettings exits with 0 and the setting stays.
        {make(Cinnamon), bitmap, [](FakeDesktop& d) { d.dropWrites = true; }, 5,
         "gsettings reported success, but org.cinnamon.desktop.background picture-uri does not "
         "hold the new picture"},
        {make(Xfce), bitmap, [](FakeDesktop& d) { d.listing = "/desktop-icons/style\n"; }, 1,
         "xfconf-query lists no backdrop"},
        {make(Sway), bitmap,
         [](FakeDesktop& d) {
             d.swayAnswer = exited(2, R"([{"success": false, "error": "Bad"}])");
         },
         1, "sway refused the wallpaper: Bad"},
    };
    for (const auto& c : cases) {
        *runner = FakeDesktop{};
        c.desktop(*runner);
        const Result<> set = c.setter->setWallpaper(job(Placement::Centred, c.bitmap));
        ASSERT_FALSE(set) << c.error;
        EXPECT_EQ(set.error().substr(0, c.error.size()), c.error) << set.error();
        EXPECT_EQ(set.error().find('\n'), std::string::npos) << set.error();
        EXPECT_EQ(runner->calls.size(), c.calls) << c.error;
    }
}

/// Plasma centres its tiles; a tiled wallpaper is therefore one bitmap of the screen, tiled from
/// its top-left corner here, that Plasma shows centred.
TEST_F(DesktopTest, PlasmaGetsTheScreenTiledFromTheTopLeftCorner) {
    ASSERT_TRUE(writeBmp(picture("AB.|CDE"), bitmap));
    const Result<> tiled = make(WallpaperBackend::Kde)->setWallpaper(job(Placement::Tiled));
    ASSERT_TRUE(tiled) << tiled.error();
    ASSERT_EQ(runner->calls.size(), 1u);
    EXPECT_NE(runner->calls[0][1].find("writeConfig(\"FillMode\", 6)"), std::string::npos);
    EXPECT_EQ(readImage(folder + "jdoe~1.bmp").convertToFormat(QImage::Format_RGB32),
              picture("AB.AB.AB|CDECDECD|AB.AB.AB|CDECDECD|AB.AB.AB|CDECDECD"));
}

// Plain 24-bit bitmaps are unpacked four pixels at a time: every width keeps every pixel.
// Other bitmaps (32 bits, a file cut short) are Qt's reader's to read.
TEST(ReadImage, ReadsBackTheBitmapsWrittenOfAnyWidth) {
    test::TempDir dir;
    const std::string path = (dir.path() / "back.bmp").string();
    for (int width = 1; width <= 9; ++width) {
        for (const int height : {1, 3}) {
            QImage image(width, height, QImage::Format_RGB32);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    image.setPixel(x, y, qRgb(x * 20 + y, 250 - x * 9, y * 40 + 1));
            }
            ASSERT_TRUE(writeBmp(image, path));
            EXPECT_EQ(readImage(path), image) << width << " x " << height;
        }
    }
    // 2 x 2, rows top-down (a negative height): red, green over blue, white.
    std::string topDown(
        "BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\2\0\0\0\xfe\xff\xff\xff"
        "\1\0\x18\0",
        30);
    topDown += std::string(24, '\0');
    topDown += std::string("\0\0\xff\0\xff\0\0\0\xff\0\0\0\xff\xff\xff\0", 16);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << topDown;
    const QImage read = readImage(path);
    ASSERT_EQ(read.size(), QSize(2, 2));
    EXPECT_EQ(read.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(0, 1), qRgb(0, 0, 255));
    ASSERT_TRUE(writeBmp(QImage(6, 4, QImage::Format_RGB32), path));
    std::filesystem::resize_file(path, 54 + 24 + 5);
    readImage(path);  // whatever Qt makes of it, without reading past the end
}

TEST(PackPixels, LaysOutPixelsAsTheServerExpects) {
    // Red, green, and a colour whose low bits show up in narrow channels. BGRX, the layout of
    // the X servers that the tests start, is read back from a real server elsewhere.
    const QRgb pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF123456};
    const QImage image(reinterpret_cast<const uchar*>(pixels), 3, 1, QImage::Format_RGB32);
    const std::pair<XPixelFormat, std::vector<std::uint8_t>> cases[] = {
        {{24, 32, 32, true, 0xFF0000, 0xFF00, 0xFF},  // XRGB
         {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x12, 0x34, 0x56}},
        {{32, 32, 32, false, 0xFF0000, 0xFF00, 0xFF},  // the unused alpha bits are set
         {0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x56, 0x34, 0x12, 0xFF}},
        {{24, 24, 32, false, 0xFF0000, 0xFF00, 0xFF},  // rows padded to 32 bits
         {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00}},
        {{16, 16, 32, false, 0xF800, 0x07E0, 0x001F}, {0x00, 0xF8, 0xE0, 0x07, 0xAA, 0x11, 0, 0}},
        {{8, 8, 32, false, 0xE0, 0x1C, 0x03}, {}},  // unsupported
    };
    for (const auto& [format, bytes] : cases) {
        std::size_t stride = 99;
        EXPECT_EQ(packPixels(image, format, &stride), bytes) << format.bitsPerPixel;
        EXPECT_EQ(stride, bytes.size());
    }
}

// The image's rows go to the server as they are only where packing would not change a byte.
TEST(PackPixels, SendsRgb32RowsAsTheyAreOnlyWhereTheyAreTheServersLayout) {
    const bool bigEndian = std::endian::native == std::endian::big;
    const QRgb pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF123456};
    const QImage image(reinterpret_cast<const uchar*>(pixels), 3, 1, QImage::Format_RGB32);
    const std::pair<XPixelFormat, bool> cases[] = {
        {{24, 32, 32, bigEndian, 0xFF0000, 0xFF00, 0xFF}, true},
        {{32, 32, 32, bigEndian, 0xFF0000, 0xFF00, 0xFF}, true},
        {{24, 32, 32, !bigEndian, 0xFF0000, 0xFF00, 0xFF}, false},  // the other byte order
        {{24, 32, 32, bigEndian, 0xFF, 0xFF00, 0xFF0000}, false},   // red and blue swapped
        {{30, 32, 32, bigEndian, 0x3FF00000, 0xFFC00, 0x3FF}, false},
        {{24, 24, 32, bigEndian, 0xFF0000, 0xFF00, 0xFF}, false},
        {{16, 16, 32, bigEndian, 0xF800, 0x07E0, 0x001F}, false},
        {{24, 32, 64, bigEndian, 0xFF0000, 0xFF00, 0xFF}, false},  // 3 pixels fill no 64-bit pad
    };
    for (const auto& [format, asTheyAre] : cases) {
        EXPECT_EQ(rgb32IsServerLayout(format, image.width()), asTheyAre) << format.depth;
        if (!asTheyAre)
            continue;
        // The same pixel values, as far as the depth goes: the server ignores the bits above.
        std::size_t stride = 0;
        const std::vector<std::uint8_t> packed = packPixels(image, format, &stride);
        ASSERT_EQ(stride, std::size_t(image.bytesPerLine()));
        const std::uint32_t depthBits = format.depth == 32 ? 0xFFFFFFFF : 0xFFFFFF;
        for (int x = 0; x < image.width(); ++x) {
            std::uint32_t sent = 0;
            std::memcpy(&sent, packed.data() + 4 * x, 4);
            EXPECT_EQ(sent & depthBits, pixels[x] & depthBits) << format.depth << " " << x;
        }
    }
    EXPECT_TRUE(rgb32IsServerLayout({24, 32, 64, bigEndian, 0xFF0000, 0xFF00, 0xFF}, 4));
}

TEST(ComposeScreen, PutsTheBitmapOnThePrimaryMonitorOnly) {
    using enum Placement;
    const QRect right(4, 0, 4, 3);
    const std::tuple<std::string, QRect, Placement, std::string> cases[] = {
        {"ABCDEF", right, Centred, "........|....BCDE|........"},  // cropped evenly, no spill
        {"AB|CD", QRect(3, 1, 5, 2), Tiled, "........|...ABABA|...CDCDC"},
        {"AB.|CDE", QRect(0, 0, 3, 2), Tiled, "AB.|CDE"},  // the bitmap is the screen
        {"AB.|CDE", QRect(0, 0, 3, 2), Centred, "AB.|CDE"},
    };
    for (const auto& [bitmap, area, placement, screen] : cases) {
        const QImage expected = picture(screen);
        const QImage got = composeScreen(picture(bitmap), expected.size(), area, placement);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), expected) << screen;
    }
}

TEST(WallpaperArea, IsThePrimaryMonitorCutToTheScreen) {
    const QRect left(0, 0, 1024, 768), right(1024, 0, 1024, 768), screen(0, 0, 2048, 768);
    const std::pair<std::vector<Monitor>, QRect> cases[] = {
        {{}, screen},
        {{{left, false, true}, {right, true, false}}, right},    // the flagged one wins
        {{{left, false, false}, {right, false, true}}, right},   // then the primary output's
        {{{right, false, false}, {left, false, false}}, right},  // then the first listed
        {{{QRect(1024, 0, 2000, 900), true, false}}, right},
        {{{QRect(4000, 0, 100, 100), true, false}}, screen},
    };
    for (const auto& [monitors, expected] : cases)
        EXPECT_EQ(wallpaperArea(monitors, QSize(2048, 768)), expected) << monitors.size();
}

}  // namespace
}  // namespace muralto::platform
