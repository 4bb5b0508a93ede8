#include "platform/gui/WallpaperX11.h"

#include <QFile>
#include <QPainter>

#include <xcb/randr.h>

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "platform/gui/BitmapCopies.h"
#include "platform/image/PagedImage.h"
#include "platform/xcb/Xcb.h"

namespace muralto::platform {

namespace {

/// Scales an 8-bit colour value into the bits of mask.
std::uint32_t scaleInto(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint32_t scaled = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
    return (scaled << shift) & mask;
}

void putPixel(std::uint8_t* out, std::uint32_t value, int bytes, bool msbFirst) {
    for (int i = 0; i < bytes; ++i) {
        const int byteIndex = msbFirst ? bytes - 1 - i : i;
        out[byteIndex] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// ---- the X connection -------------------------------------------------------------------

/// The root window of the default screen and how its pixels are laid out.
struct RootScreen {
    xcb_window_t window = 0;
    int width = 0;
    int height = 0;
    XPixelFormat format;
};

const xcb_visualtype_t* findVisual(const xcb_screen_t* screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual)
                return visuals.data;
        }
    }
    return nullptr;
}

const xcb_format_t* findPixmapFormat(const xcb_setup_t* setup, int depth) {
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == depth)
            return formats.data;
    }
    return nullptr;
}

Result<RootScreen> describeRoot(const xcb::Connection& connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection.get());
    const xcb_screen_t* screen = connection.screen();
    const xcb_visualtype_t* visual = screen ? findVisual(screen) : nullptr;
    const xcb_format_t* format = screen ? findPixmapFormat(setup, screen->root_depth) : nullptr;
    if (!visual || !format)
        return Failure{"the X server describes no usable default screen"};
    const bool trueColour = visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                            visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR;
    const int bpp = format->bits_per_pixel;
    if (!trueColour || (bpp != 16 && bpp != 24 && bpp != 32)) {
        return Failure{"the root window's depth of " + std::to_string(screen->root_depth) +
                       " bits is not supported"};
    }
    RootScreen root;
    root.window = screen->root;
    root.width = screen->width_in_pixels;
    root.height = screen->height_in_pixels;
    root.format.depth = screen->root_depth;
    root.format.bitsPerPixel = bpp;
    root.format.scanlinePad = format->scanline_pad;
    root.format.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    root.format.redMask = visual->red_mask;
    root.format.greenMask = visual->green_mask;
    root.format.blueMask = visual->blue_mask;
    return root;
}

/// Whether every request behind the cookies succeeded; the first failure is the reason.
Result<> allSucceeded(xcb_connection_t* connection, const std::vector<xcb_void_cookie_t>& cookies,
                      const std::string& what) {
    Result<> succeeded;
    for (const auto& cookie : cookies) {
        const auto failure = xcb::check(connection, cookie);
        if (failure && succeeded)
            succeeded =
                Failure{what + " failed (X error " + std::to_string(failure->error_code) + ")"};
    }
    return succeeded;
}

/// The screen's pixels as the server lays them out: the image's own rows when they already
/// are (the usual TrueColor servers of 24 and 32 bits), otherwise a packed copy.
struct ServerPixels {
    std::vector<std::uint8_t> packed;
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;
};

ServerPixels serverPixels(const QImage& screen, const XPixelFormat& format) {
    ServerPixels pixels;
    if (screen.format() == QImage::Format_RGB32 && rgb32IsServerLayout(format, screen.width())) {
        pixels.data = screen.constBits();
        pixels.stride = static_cast<std::size_t>(screen.bytesPerLine());
        return pixels;
    }
    pixels.packed = packPixels(screen, format, &pixels.stride);
    pixels.data = pixels.packed.data();
    return pixels;
}

/// Creates a pixmap of the root's size and depth and fills it with the screen's picture,
/// sending as many rows per request as the server and kMaxChunkBytes allow.
Result<xcb_pixmap_t> uploadPixmap(xcb_connection_t* connection, const RootScreen& root,
                                  const QImage& screen) {
    const ServerPixels pixels = serverPixels(screen, root.format);
    const std::size_t stride = pixels.stride;
    const std::size_t maxRequest =
        std::min<std::size_t>(xcb_get_maximum_request_length(connection) * std::size_t{4},
                              X11WallpaperSetter::kMaxChunkBytes);
    const std::size_t headerBytes = 24;
    const std::size_t rowsPerChunk =
        maxRequest > headerBytes ? (maxRequest - headerBytes) / stride : 0;
    if (rowsPerChunk == 0)
        return Failure{"the screen is too wide for one X request"};
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    std::vector<xcb_void_cookie_t> cookies;
    cookies.push_back(xcb_create_pixmap_checked(connection, root.format.depth, pixmap, root.window,
                                                root.width, root.height));
    cookies.push_back(xcb_create_gc_checked(connection, gc, pixmap, 0, nullptr));
    for (std::size_t row = 0; row < static_cast<std::size_t>(root.height); row += rowsPerChunk) {
        const std::size_t rows = std::min(rowsPerChunk, root.height - row);
        cookies.push_back(xcb_put_image_checked(
            connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, root.width,
            static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(row), 0,
            root.format.depth, static_cast<std::uint32_t>(rows * stride),
            pixels.data + row * stride));
    }
    xcb_free_gc(connection, gc);
    if (Result<> drawn = allSucceeded(connection, cookies, "drawing the wallpaper pixmap"); !drawn)
        return Failure{drawn.error()};
    return pixmap;
}

/// Whether the server speaks RandR 1.5, which lists monitors.
bool listsMonitors(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_randr_id);
    if (!extension || !extension->present)
        return false;
    const auto version = xcb::reply(connection, xcb_randr_query_version(connection, 1, 5),
                                    xcb_randr_query_version_reply);
    return version && (version->major_version > 1 || version->minor_version >= 5);
}

Monitor describeMonitor(const xcb_randr_monitor_info_t& info, xcb_randr_output_t primaryOutput) {
    const xcb_randr_output_t* outputs = xcb_randr_monitor_info_outputs(&info);
    const xcb_randr_output_t* end = outputs + xcb_randr_monitor_info_outputs_length(&info);
    Monitor monitor;
    monitor.area = QRect(info.x, info.y, info.width, info.height);
    monitor.primary = info.primary != 0;
    monitor.showsPrimaryOutput =
        primaryOutput != XCB_NONE && std::find(outputs, end, primaryOutput) != end;
    return monitor;
}

/// The active monitors RandR lists for the root window; none without RandR 1.5.
std::vector<Monitor> listMonitors(xcb_connection_t* connection, xcb_window_t root) {
    if (!listsMonitors(connection))
        return {};
    const auto monitorsCookie = xcb_randr_get_monitors(connection, root, 1);
    const auto primaryCookie = xcb_randr_get_output_primary(connection, root);
    const auto reply = xcb::reply(connection, monitorsCookie, xcb_randr_get_monitors_reply);
    const auto primary = xcb::reply(connection, primaryCookie, xcb_randr_get_output_primary_reply);
    std::vector<Monitor> monitors;
    if (!reply)
        return monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        monitors.push_back(describeMonitor(*it.data, primary ? primary->output : XCB_NONE));
    }
    return monitors;
}

/// The pixmap that a root window property names, or 0.
xcb_pixmap_t pixmapProperty(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
    return xcb::getProperty(connection, root, atom, XCB_ATOM_PIXMAP, 1)
        .single32(XCB_ATOM_PIXMAP)
        .value_or(0);
}

/// Makes the pixmap the root's background, publishes it and frees the previous setter's one.
Result<> installPixmap(xcb_connection_t* connection, xcb_window_t root, xcb_pixmap_t pixmap) {
    const xcb_atom_t rootAtom = xcb::internAtom(connection, "_XROOTPMAP_ID");
    const xcb_atom_t esetrootAtom = xcb::internAtom(connection, "ESETROOT_PMAP_ID");
    if (rootAtom == XCB_ATOM_NONE || esetrootAtom == XCB_ATOM_NONE)
        return Failure{"the X server gave no atoms for the root pixmap properties"};
    const xcb_pixmap_t oldRoot = pixmapProperty(connection, root, rootAtom);
    const xcb_pixmap_t oldEsetroot = pixmapProperty(connection, root, esetrootAtom);

    std::vector<xcb_void_cookie_t> cookies;
    cookies.push_back(
        xcb_change_window_attributes_checked(connection, root, XCB_CW_BACK_PIXMAP, &pixmap));
    cookies.push_back(xcb_clear_area_checked(connection, 0, root, 0, 0, 0, 0));
    for (const xcb_atom_t atom : {rootAtom, esetrootAtom})
        cookies.push_back(xcb::setProperty32(connection, root, atom, XCB_ATOM_PIXMAP, pixmap));
    if (Result<> set = allSucceeded(connection, cookies, "setting the root window's background");
        !set) {
        return set;
    }
    // The previous setter kept its connection's resources alive; free them, but only when
    // both properties agree, which tells that the pixmap is a setter's and not a desktop's.
    if (oldEsetroot != 0 && oldEsetroot == oldRoot && oldRoot != pixmap) {
        xcb::check(connection, xcb_kill_client_checked(connection, oldRoot));
    }
    return allSucceeded(
        connection, {xcb_set_close_down_mode_checked(connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT)},
        "keeping the wallpaper pixmap");
}

std::string displayLabel(const std::string& displayName) {
    if (!displayName.empty())
        return displayName;
    const char* environment = std::getenv("DISPLAY");
    return environment && *environment ? environment : "(DISPLAY is not set)";
}

}  // namespace

bool rgb32IsServerLayout(const XPixelFormat& format, int width) {
    const bool bigEndian = std::endian::native == std::endian::big;
    const std::size_t pad = static_cast<std::size_t>(std::max(format.scanlinePad, 8));
    const std::size_t rowBits = static_cast<std::size_t>(width) * 32;
    return format.bitsPerPixel == 32 && format.msbFirst == bigEndian &&
           format.redMask == 0xFF0000 && format.greenMask == 0x00FF00 &&
           format.blueMask == 0x0000FF && (format.depth == 24 || format.depth == 32) &&
           rowBits % pad == 0;
}

std::vector<std::uint8_t> packPixels(const QImage& image, const XPixelFormat& format,
                                     std::size_t* stride) {
    const int bytesPerPixel = format.bitsPerPixel / 8;
    if (format.bitsPerPixel != 16 && format.bitsPerPixel != 24 && format.bitsPerPixel != 32) {
        *stride = 0;
        return {};
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const std::size_t pad = static_cast<std::size_t>(std::max(format.scanlinePad, 8));
    const std::size_t rowBits = static_cast<std::size_t>(rgb.width()) * format.bitsPerPixel;
    *stride = (rowBits + pad - 1) / pad * pad / 8;
    const std::uint32_t unused =
        format.depth == 32 ? ~(format.redMask | format.greenMask | format.blueMask) : 0;
    std::vector<std::uint8_t> out(*stride * static_cast<std::size_t>(rgb.height()), 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* target = out.data() + static_cast<std::size_t>(y) * *stride;
        for (int x = 0; x < rgb.width(); ++x, target += bytesPerPixel) {
            const QRgb pixel = line[x];
            const std::uint32_t value = scaleInto(qRed(pixel), format.redMask) |
                                        scaleInto(qGreen(pixel), format.greenMask) |
                                        scaleInto(qBlue(pixel), format.blueMask) | unused;
            putPixel(target, value, bytesPerPixel, format.msbFirst);
        }
    }
    return out;
}

QRect wallpaperArea(const std::vector<Monitor>& monitors, QSize screen) {
    const QRect whole(QPoint(0, 0), screen);
    const auto flagged =
        std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    const auto showing = std::find_if(monitors.begin(), monitors.end(),
                                      [](const Monitor& m) { return m.showsPrimaryOutput; });
    const auto chosen = flagged != monitors.end()   ? flagged
                        : showing != monitors.end() ? showing
                                                    : monitors.begin();
    if (chosen == monitors.end())
        return whole;
    const QRect area = chosen->area & whole;
    return area.isEmpty() ? whole : area;
}

QImage composeScreen(const QImage& bitmap, QSize size, const QRect& area, Placement placement) {
    // A bitmap of the screen's size on the whole screen is the screen, however it is placed.
    if (bitmap.size() == size && area == QRect(QPoint(0, 0), size))
        return bitmap.convertToFormat(QImage::Format_RGB32);
    QImage screen = pagedImage(size, QImage::Format_RGB32);
    screen.fill(Qt::black);
    if (bitmap.isNull())
        return screen;
    QPainter painter(&screen);
    painter.setClipRect(area);
    if (placement == Placement::Centred) {
        painter.drawImage(area.x() + (area.width() - bitmap.width()) / 2,
                          area.y() + (area.height() - bitmap.height()) / 2, bitmap);
        return screen;
    }
    for (int y = area.top(); y <= area.bottom(); y += bitmap.height()) {
        for (int x = area.left(); x <= area.right(); x += bitmap.width())
            painter.drawImage(x, y, bitmap);
    }
    return screen;
}

Result<> X11WallpaperSetter::setWallpaper(const WallpaperJob& job) {
    const std::string& bitmapPath = job.bitmapPath;
    QImage bitmap = readImage(bitmapPath);
    if (bitmap.isNull())
        return Failure{"cannot read the bitmap " + bitmapPath};
    const xcb::Connection connection(displayName_);
    if (!connection.ok())
        return Failure{"cannot open the X display " + displayLabel(displayName_)};
    const auto root = describeRoot(connection);
    if (!root)
        return root;
    const QSize size(root->width, root->height);
    const QRect area = wallpaperArea(listMonitors(connection.get(), root->window), size);
    const QImage screen = composeScreen(bitmap, size, area, job.placement);
    bitmap = QImage();  // the screen holds the picture now
    const auto pixmap = uploadPixmap(connection.get(), *root, screen);
    if (!pixmap)
        return pixmap;
    return installPixmap(connection.get(), root->window, *pixmap);
}

}  // namespace muralto::platform
