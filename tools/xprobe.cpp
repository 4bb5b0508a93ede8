// Looks at the X server: what the desktop shows and which of Muralto's windows are up. The
// end-to-end tests and the demonstration of the run command use it.
//
//   xprobe pixmap            prints the root window's _XROOTPMAP_ID (0 when unset)
//   xprobe compare BMP [X Y W H]
//                            exits 0 when the root pixmap shows BMP whole, centred on the
//                            rectangle (default: the whole screen), and black everywhere else
//   xprobe tray-icon         prints the centre "X Y" of Muralto's icon docked in a tray
//   xprobe options-visible   exits 0 while Muralto's options window is shown, printing its id
//   xprobe box-visible       exits 0 while a message box of Muralto is shown, printing its id
//   xprobe geometry WID      prints "X Y W H" of window WID's inside, X and Y from the root
//   xprobe menu-visible      exits 0 while a popup menu of Muralto is shown
//   xprobe balloon-visible   exits 0 while a notification balloon of Muralto's icon is shown,
//                            printing its centre "X Y"
//   xprobe screenshot PNG [WID]
//                            saves what the screen shows, or only window WID with its frame
//   xprobe picture WID       exits 0 when window WID's area of the screen shows a picture: at
//                            least 1% of its pixels coloured (not black, white or grey) in at
//                            least 100 colours, so neither a black screen nor a caption passes
//   xprobe wm-ready          waits up to 20 s until a window manager shows a newly mapped window
//                            (openbox names itself before it is ready to manage windows)
//   xprobe maximise WID      asks the window manager to maximise window WID
//   xprobe maximised WID     exits 0 while window WID is maximised both ways
//   xprobe compare-screen BMP [X Y W H]
//                            as compare, but with what the screen shows instead of the pixmap
//   xprobe make-picture PATH W H [black]
//                            writes a picture of W x H pixels with detail everywhere (or all
//                            black), for tests that need no scaling to show it
//   xprobe host-window W H [X Y]
//                            shows a window of W x H pixels in magenta at (X, Y), by default
//                            (40, 40), as another program would, prints its id and lives until the
//                            window is closed (exit 0, printing "closed") or destroyed, or the
//                            probe is killed
//   xprobe filled WID        exits 0 when window WID's rectangle shows no magenta and not
//                            only black: something else covers it
//   xprobe cursor            exits 0 while the pointer's cursor is blank, printing "hidden"
//   xprobe saver-window      exits 0 while a window of Muralto that no window manager handles
//                            (override-redirect) covers the whole screen, printing its id

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/xcb/Xcb.h"

// Last: Xlib's macros would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace {

using muralto::xcb::reply;

xcb_connection_t* connection = nullptr;
const xcb_screen_t* screen = nullptr;

xcb_atom_t atom(const char* name) {
    return muralto::xcb::internAtom(connection, name);
}

std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
    return muralto::xcb::getProperty(connection, window, name, type, 1024).bytes;
}

xcb_pixmap_t rootPixmap() {
    const std::string value = property(screen->root, atom("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP);
    xcb_pixmap_t id = 0;
    if (value.size() == 4)
        std::memcpy(&id, value.data(), 4);
    return id;
}

/// The atoms that an ATOM list property of the window holds.
std::vector<xcb_atom_t> atomList(xcb_window_t window, const char* name) {
    const std::string value = property(window, atom(name), XCB_ATOM_ATOM);
    std::vector<xcb_atom_t> atoms(value.size() / 4);
    std::memcpy(atoms.data(), value.data(), atoms.size() * 4);
    return atoms;
}

bool hasAtom(xcb_window_t window, const char* list, xcb_atom_t wanted) {
    const auto atoms = atomList(window, list);
    return std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
}

struct WindowInfo {
    xcb_window_t id;
    std::string instance, name;
    int x, y, width, height;  // position relative to the root
    bool viewable, overrideRedirect, embedded;
};

/// Calls visit for every window below parent, depth first.
void walk(xcb_window_t parent, int originX, int originY, int depth,
          const std::function<void(const WindowInfo&)>& visit) {
    auto tree = reply(connection, xcb_query_tree(connection, parent), xcb_query_tree_reply);
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t w = children[i];
        auto geometry = reply(connection, xcb_get_geometry(connection, w), xcb_get_geometry_reply);
        auto attributes = reply(connection, xcb_get_window_attributes(connection, w),
                                xcb_get_window_attributes_reply);
        if (!geometry || !attributes)
            continue;
        WindowInfo info{w,
                        {},
                        {},
                        originX + geometry->x,
                        originY + geometry->y,
                        geometry->width,
                        geometry->height,
                        attributes->map_state == XCB_MAP_STATE_VIEWABLE,
                        attributes->override_redirect != 0,
                        depth > 0};
        info.instance = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).c_str();
        info.name = property(w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
        visit(info);
        walk(w, info.x, info.y, depth + 1, visit);
    }
}

bool anyWindow(const std::function<bool(const WindowInfo&)>& match, WindowInfo* found = nullptr) {
    bool hit = false;
    walk(screen->root, 0, 0, 0, [&](const WindowInfo& w) {
        if (!hit && match(w)) {
            hit = true;
            if (found)
                *found = w;
        }
    });
    return hit;
}

/// The pixels of a drawable of the screen's depth as an image of the screen's size.
QImage grab(xcb_drawable_t drawable) {
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    auto image = reply(
        connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0, 0, w, h, ~0u),
        xcb_get_image_reply);
    if (!image || xcb_get_image_data_length(image.get()) < w * h * 4)
        return {};
    QImage copy(xcb_get_image_data(image.get()), w, h, w * 4, QImage::Format_RGB32);
    return copy.copy();
}

/// Compares what drawable shows (the root pixmap when none) with the bitmap centred on area.
int compare(const char* bitmap, QRect area, xcb_drawable_t drawable = 0) {
    const QImage expected =
        QImage(QString::fromLocal8Bit(bitmap)).convertToFormat(QImage::Format_RGB32);
    if (!drawable)
        drawable = rootPixmap();
    const QImage shown = drawable ? grab(drawable) : QImage();
    if (expected.isNull() || shown.isNull())
        return 2;
    if (area.isEmpty())
        area = shown.rect();
    if (expected.width() > area.width() || expected.height() > area.height()) {
        std::printf("the bitmap is %dx%d, larger than the %dx%d area\n", expected.width(),
                    expected.height(), area.width(), area.height());
        return 1;
    }
    const int w = shown.width(), h = shown.height();
    const auto* data = reinterpret_cast<const std::uint32_t*>(shown.constBits());
    const QRect placed(area.x() + (area.width() - expected.width()) / 2,
                       area.y() + (area.height() - expected.height()) / 2, expected.width(),
                       expected.height());
    long mismatches = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t want =
                placed.contains(x, y) ? expected.pixel(x - placed.x(), y - placed.y()) & 0xFFFFFF
                                      : 0;
            if ((data[y * w + x] & 0xFFFFFF) != want)
                ++mismatches;
        }
    }
    std::printf("%ld pixels differ\n", mismatches);
    return mismatches == 0 ? 0 : 1;
}

int picture(xcb_window_t window) {
    auto geometry = reply(connection, xcb_get_geometry(connection, window), xcb_get_geometry_reply);
    if (!geometry)
        return 2;
    auto place =
        reply(connection, xcb_translate_coordinates(connection, window, screen->root, 0, 0),
              xcb_translate_coordinates_reply);
    const QRect area = QRect(place ? place->dst_x : 0, place ? place->dst_y : 0, geometry->width,
                             geometry->height) &
                       QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    const QImage shown = grab(screen->root);
    if (shown.isNull() || area.isEmpty())
        return 2;
    long coloured = 0;
    std::vector<bool> seen(1 << 24);
    long colours = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = shown.pixel(x, y) & 0xFFFFFF;
            const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            if (high - low <= 24)
                continue;
            ++coloured;
            if (!seen[pixel]) {
                seen[pixel] = true;
                ++colours;
            }
        }
    }
    const long total = static_cast<long>(area.width()) * area.height();
    std::printf("%ld of %ld pixels coloured, in %ld colours\n", coloured, total, colours);
    return coloured * 100 >= total && colours >= 100 ? 0 : 1;
}

/// The rectangle of the top-level window (the window manager's frame, if any) that holds window;
/// empty when the window is not found.
QRect frameOf(xcb_window_t window) {
    auto tree = reply(connection, xcb_query_tree(connection, window), xcb_query_tree_reply);
    while (tree && tree->parent != screen->root) {
        window = tree->parent;
        tree = reply(connection, xcb_query_tree(connection, window), xcb_query_tree_reply);
    }
    auto geometry = reply(connection, xcb_get_geometry(connection, window), xcb_get_geometry_reply);
    if (!tree || !geometry)
        return {};
    const int border = geometry->border_width;
    return QRect(geometry->x, geometry->y, geometry->width + 2 * border,
                 geometry->height + 2 * border);
}

bool viewable(xcb_window_t window) {
    auto attributes = reply(connection, xcb_get_window_attributes(connection, window),
                            xcb_get_window_attributes_reply);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

/// Maps a small window until a window manager shows it, then takes it away again.
bool windowManagerReady() {
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    bool shown = false;
    for (int attempt = 0; attempt < 200 && !shown; ++attempt) {
        if (attempt % 5 == 0)
            xcb_map_window(connection, probe);  // again: a map before the manager was ready is lost
        xcb_flush(connection);
        usleep(100 * 1000);
        shown = viewable(probe);
    }
    xcb_destroy_window(connection, probe);
    xcb_flush(connection);
    return shown;
}

/// Sends the window manager a _NET_WM_STATE request to add both maximised states.
void maximise(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = 1;  // add
    event.data.data32[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    event.data.data32[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    event.data.data32[3] = 1;  // a normal application
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

bool maximised(xcb_window_t window) {
    return hasAtom(window, "_NET_WM_STATE", atom("_NET_WM_STATE_MAXIMIZED_VERT")) &&
           hasAtom(window, "_NET_WM_STATE", atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

constexpr std::uint32_t kMagenta = 0xFF00FF;

/// A picture with detail everywhere: gradients across, a grid of dots.
bool writePicture(const char* path, int width, int height, bool black) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::black);
    for (int y = 0; y < height && !black; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dot = (x % 16 < 2 && y % 16 < 2) ? 255 : 0;
            picture.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, dot ? 255 : 60));
        }
    }
    return picture.save(QString::fromLocal8Bit(path));
}

/// A top-level window as another program shows it, with its _NET_WM_PID, answering the window
/// manager's close request by ending.
int hostWindow(int width, int height, int x, int y) {
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {kMagenta, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, x, y, width, height,
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
    muralto::xcb::setProperty32(connection, window, protocols, XCB_ATOM_ATOM, deleteWindow);
    muralto::xcb::setProperty32(connection, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                                static_cast<std::uint32_t>(getpid()));
    xcb_map_window(connection, window);
    xcb_flush(connection);
    std::printf("%u\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const auto type = event->response_type & 0x7F;
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        const bool closed = type == XCB_CLIENT_MESSAGE && message->type == protocols &&
                            message->data.data32[0] == deleteWindow;
        const bool destroyed = type == XCB_DESTROY_NOTIFY;
        std::free(event);
        if (closed) {
            std::printf("closed\n");
            return 0;
        }
        if (destroyed)
            return 0;
    }
    return 1;
}

int filled(xcb_window_t window) {
    WindowInfo info{};
    if (!anyWindow([&](const WindowInfo& w) { return w.id == window; }, &info))
        return 2;
    const QImage shown = grab(screen->root).copy(info.x, info.y, info.width, info.height);
    bool magenta = false, coloured = false;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const std::uint32_t pixel = shown.pixel(x, y) & 0xFFFFFF;
            magenta = magenta || pixel == kMagenta;
            coloured = coloured || pixel != 0;
        }
    }
    std::printf("%s\n", magenta ? "uncovered" : coloured ? "filled" : "black");
    return !magenta && coloured ? 0 : 1;
}

/// Whether the cursor shown at the pointer has no visible pixel.
bool cursorHidden() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    bool blank = image != nullptr;
    for (int i = 0; image && i < image->width * image->height; ++i)
        blank = blank && (image->pixels[i] & 0xFF000000) == 0;
    if (image)
        XFree(image);
    XCloseDisplay(display);
    return blank;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const muralto::xcb::Connection display;
    connection = display.get();
    screen = display.screen();
    if (!screen)
        return 2;
    const std::string command = argv[1];
    const auto ours = [](const WindowInfo& w) { return w.instance == "muralto" && w.viewable; };
    if (command == "pixmap") {
        std::printf("%u\n", rootPixmap());
        return 0;
    }
    if (command == "compare" && (argc == 3 || argc == 7)) {
        const auto n = [&](int i) { return argc == 7 ? std::atoi(argv[i]) : 0; };
        return compare(argv[2], QRect(n(3), n(4), n(5), n(6)));
    }
    if (command == "compare-screen" && (argc == 3 || argc == 7)) {
        const auto n = [&](int i) { return argc == 7 ? std::atoi(argv[i]) : 0; };
        return compare(argv[2], QRect(n(3), n(4), n(5), n(6)), screen->root);
    }
    if (command == "make-picture" && (argc == 5 || argc == 6)) {
        const bool black = argc == 6 && std::strcmp(argv[5], "black") == 0;
        return writePicture(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), black) ? 0 : 1;
    }
    if (command == "host-window" && (argc == 4 || argc == 6)) {
        const auto n = [&](int i, int otherwise) {
            return argc == 6 ? std::atoi(argv[i]) : otherwise;
        };
        return hostWindow(std::atoi(argv[2]), std::atoi(argv[3]), n(4, 40), n(5, 40));
    }
    if (command == "filled" && argc == 3)
        return filled(static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
    if (command == "saver-window") {
        WindowInfo saver{};
        if (!anyWindow(
                [&](const WindowInfo& w) {
                    return ours(w) && w.overrideRedirect && !w.embedded && w.x <= 0 && w.y <= 0 &&
                           w.x + w.width >= screen->width_in_pixels &&
                           w.y + w.height >= screen->height_in_pixels;
                },
                &saver)) {
            return 1;
        }
        std::printf("%u\n", saver.id);
        return 0;
    }
    if (command == "cursor") {
        const bool hidden = cursorHidden();
        std::printf("%s\n", hidden ? "hidden" : "shown");
        return hidden ? 0 : 1;
    }
    if (command == "picture" && argc == 3)
        return picture(static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
    if (command == "wm-ready")
        return windowManagerReady() ? 0 : 1;
    if ((command == "maximise" || command == "maximised") && argc == 3) {
        const auto window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
        if (command == "maximised")
            return maximised(window) ? 0 : 1;
        maximise(window);
        return 0;
    }
    if (command == "screenshot" && (argc == 3 || argc == 4)) {
        QImage shot = grab(screen->root);
        if (argc == 4) {
            const auto window = static_cast<xcb_window_t>(std::strtoul(argv[3], nullptr, 0));
            const QRect frame = frameOf(window);
            if (frame.isEmpty())
                return 1;
            shot = shot.copy(frame);
        }
        return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (command == "tray-icon") {
        WindowInfo icon{};
        // Docked, the icon is reparented into the tray: not a child of a top-level frame.
        if (!anyWindow(
                [&](const WindowInfo& w) {
                    return ours(w) && w.embedded && w.width < 100 && w.height < 100;
                },
                &icon)) {
            return 1;
        }
        std::printf("%d %d\n", icon.x + icon.width / 2, icon.y + icon.height / 2);
        return 0;
    }
    // The options window is our one named top-level window that is not a dialog (its caption
    // depends on the language); message boxes are dialogs.
    const xcb_atom_t dialog = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    if (command == "options-visible" || command == "box-visible") {
        const bool box = command == "box-visible";
        WindowInfo form{};
        if (!anyWindow(
                [&](const WindowInfo& w) {
                    return ours(w) && !w.name.empty() && !w.overrideRedirect &&
                           hasAtom(w.id, "_NET_WM_WINDOW_TYPE", dialog) == box &&
                           (box || w.width >= 100);
                },
                &form)) {
            return 1;
        }
        std::printf("%u\n", form.id);
        return 0;
    }
    if (command == "geometry" && argc == 3) {
        WindowInfo info{};
        const auto window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
        if (!anyWindow([&](const WindowInfo& w) { return w.id == window; }, &info))
            return 1;
        std::printf("%d %d %d %d\n", info.x, info.y, info.width, info.height);
        return 0;
    }
    // Popups are override-redirect top-level windows; the balloon is typed as a tooltip. (The
    // docked icon is override-redirect too, but the tray holds it.)
    if (command == "menu-visible" || command == "balloon-visible") {
        const bool balloon = command == "balloon-visible";
        const xcb_atom_t tooltip = atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
        WindowInfo popup{};
        if (!anyWindow(
                [&](const WindowInfo& w) {
                    return ours(w) && w.overrideRedirect && !w.embedded &&
                           hasAtom(w.id, "_NET_WM_WINDOW_TYPE", tooltip) == balloon;
                },
                &popup)) {
            return 1;
        }
        if (balloon)
            std::printf("%d %d\n", popup.x + popup.width / 2, popup.y + popup.height / 2);
        return 0;
    }
    return 2;
}
