#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace muralto::xcb {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

/// A reply, an error or an event that xcb handed over, freed with the object.
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply);
}

/// Waits for the reply to a request: `reply(c, xcb_get_geometry(c, w), xcb_get_geometry_reply)`.
/// Null when the request failed; its error is dropped rather than queued as an event.
template <typename R, typename Cookie>
Reply<R> reply(xcb_connection_t* connection, Cookie cookie,
               R* (*replyOf)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    Reply<R> answer(replyOf(connection, cookie, &error));
    std::free(error);
    return answer;
}

/// A connection to an X server, closed with the object.
class Connection {
public:
    /// Connects to the display displayName names (empty: $DISPLAY).
    explicit Connection(const std::string& displayName = {});

    /// Whether the connection works: it opened and has not broken since (a server that went
    /// away leaves it in error).
    bool ok() const { return !xcb_connection_has_error(connection_.get()); }
    xcb_connection_t* get() const { return connection_.get(); }
    /// The screen that the display name names; null when the server has no such screen.
    const xcb_screen_t* screen() const;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    int screenNumber_ = 0;
};

/// The atom of the name, made when the server has none yet; XCB_ATOM_NONE when the server
/// does not answer.
xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name);

/// A property of a window as the server holds it.
struct Property {
    xcb_atom_t type = XCB_ATOM_NONE;  ///< none when the window has no such property
    int format = 0;                   ///< bits per value: 8, 16 or 32
    std::string bytes;                ///< empty when the type is not the one asked for

    /// The bytes when the property has this type and format; empty otherwise.
    std::string of(xcb_atom_t wanted, int wantedFormat) const;
    /// The value when the property holds exactly one 32-bit value (as far as it was read) of
    /// the type: a window, a pixmap, a CARDINAL.
    std::optional<std::uint32_t> single32(xcb_atom_t wanted) const;
};

/// Reads at most length 32-bit units of a property of type (XCB_ATOM_ANY: whatever type it
/// has); an empty property when the window does not exist or has none.
Property getProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, std::uint32_t length = 64);

/// Replaces a property with count values of format bits. The request is checked, so a failure
/// waits for check() instead of reaching the event queue.
xcb_void_cookie_t setProperty(xcb_connection_t* connection, xcb_window_t window,
                              xcb_atom_t property, xcb_atom_t type, int format, std::uint32_t count,
                              const void* data);
/// Replaces a property with one 32-bit value of type (CARDINAL, WINDOW, PIXMAP, ATOM).
xcb_void_cookie_t setProperty32(xcb_connection_t* connection, xcb_window_t window,
                                xcb_atom_t property, xcb_atom_t type, std::uint32_t value);
/// Replaces a property with text of type STRING.
xcb_void_cookie_t setString(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                            std::string_view text);

/// Waits until the server has handled a checked request: its error, null when it succeeded.
Reply<xcb_generic_error_t> check(xcb_connection_t* connection, xcb_void_cookie_t cookie);

}  // namespace muralto::xcb
