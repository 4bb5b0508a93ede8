#pragma once

#include <poll.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/xcb/Xcb.h"

namespace muralto::bench {

/// A connection to the X display of $DISPLAY that listens to the root window, with one atom of
/// the events' looked up: what the benchmark's watchers of other programs start from.
class RootEvents {
public:
    /// Listens for the root's events of mask; empty when listening, else why not.
    std::string open(const char* atomName, std::uint32_t mask) {
        const xcb_screen_t* screen = display_.screen();
        if (!screen) {
            const char* name = std::getenv("DISPLAY");
            return "cannot connect to the X display '" + std::string(name ? name : "") + "'";
        }
        atom_ = xcb::internAtom(connection(), atomName);
        if (atom_ == XCB_ATOM_NONE)
            return std::string("cannot look up the atom ") + atomName;
        xcb_change_window_attributes(connection(), screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection());
        return {};
    }
    /// Drops the events seen so far.
    void discardEvents() {
        while (xcb::own(xcb_poll_for_event(connection())))
            continue;
    }
    /// Waits at most timeoutMs for more events.
    void waitForEvents(int timeoutMs) {
        pollfd watch{xcb_get_file_descriptor(connection()), POLLIN, 0};
        ::poll(&watch, 1, timeoutMs);
    }
    xcb_connection_t* connection() const { return display_.get(); }
    xcb_atom_t atom() const { return atom_; }

private:
    xcb::Connection display_;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
};

}  // namespace muralto::bench
