#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/xcb/Xcb.h"

namespace muralto::test {

/// The test's own connection to the Xvfb server of a muralto_x11_test ($DISPLAY).
class XDisplay {
public:
    /// Whether the server answered and has the screen the display names.
    bool connected() const { return display_.screen() != nullptr; }
    xcb_connection_t* connection() const { return display_.get(); }
    const xcb_screen_t& screen() const { return *display_.screen(); }
    xcb_window_t root() const { return screen().root; }

    xcb_atom_t atom(std::string_view name) const;
    /// Waits until the server has handled every request sent on this connection.
    void sync() const;
    /// A new top-level window, not mapped, with a border of 3 pixels.
    xcb_window_t createWindow(int width, int height) const;
    /// Whether drawable names a window or pixmap that exists.
    bool exists(xcb_drawable_t drawable) const;
    /// Replaces a property of window and waits until the server has it.
    void setProperty(xcb_window_t window, std::string_view name, xcb_atom_t type, int format,
                     const void* data, std::uint32_t count) const;
    /// The bytes of a property of the type, up to 256 of them; empty without one.
    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const;

private:
    xcb::Connection display_;
};

/// A test that needs the X server: skips without $DISPLAY, fails when it cannot connect.
class XServerTest : public testing::Test {
protected:
    void SetUp() override;

    XDisplay display_;
    xcb_connection_t* connection_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
};

}  // namespace muralto::test
