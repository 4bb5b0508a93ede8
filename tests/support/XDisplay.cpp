#include "tests/support/XDisplay.h"

#include <cstdlib>

namespace muralto::test {

xcb_atom_t XDisplay::atom(std::string_view name) const {
    return xcb::internAtom(connection(), name);
}

void XDisplay::sync() const {
    xcb::reply(connection(), xcb_get_input_focus(connection()), xcb_get_input_focus_reply);
}

xcb_window_t XDisplay::createWindow(int width, int height) const {
    const xcb_window_t window = xcb_generate_id(connection());
    xcb_create_window(connection(), XCB_COPY_FROM_PARENT, window, root(), 0, 0,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 3,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    sync();
    return window;
}

bool XDisplay::exists(xcb_drawable_t drawable) const {
    return xcb::reply(connection(), xcb_get_geometry(connection(), drawable),
                      xcb_get_geometry_reply) != nullptr;
}

void XDisplay::setProperty(xcb_window_t window, std::string_view name, xcb_atom_t type, int format,
                           const void* data, std::uint32_t count) const {
    xcb::check(connection(),
               xcb::setProperty(connection(), window, atom(name), type, format, count, data));
}

std::string XDisplay::property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const {
    return xcb::getProperty(connection(), window, name, type).bytes;
}

void XServerTest::SetUp() {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X server";
    ASSERT_TRUE(display_.connected()) << "cannot connect to the X server";
    connection_ = display_.connection();
    screen_ = &display_.screen();
}

}  // namespace muralto::test
