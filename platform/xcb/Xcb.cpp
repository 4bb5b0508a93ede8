#include "platform/xcb/Xcb.h"

#include <cstring>

namespace muralto::xcb {

Connection::Connection(const std::string& displayName)
    : connection_(
          xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber_)) {}

const xcb_screen_t* Connection::screen() const {
    if (!ok())
        return nullptr;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screenNumber_ && screens.rem; ++i)
        xcb_screen_next(&screens);
    return screens.rem ? screens.data : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    const auto answer =
        reply(connection,
              xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
              xcb_intern_atom_reply);
    return answer ? answer->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Property::of(xcb_atom_t wanted, int wantedFormat) const {
    return type == wanted && format == wantedFormat ? bytes : std::string();
}

std::optional<std::uint32_t> Property::single32(xcb_atom_t wanted) const {
    const std::string value = of(wanted, 32);
    if (value.size() != sizeof(std::uint32_t))
        return std::nullopt;
    std::uint32_t number = 0;
    std::memcpy(&number, value.data(), sizeof number);
    return number;
}

Property getProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, std::uint32_t length) {
    const auto answer =
        reply(connection, xcb_get_property(connection, 0, window, property, type, 0, length),
              xcb_get_property_reply);
    Property read;
    if (!answer)
        return read;
    read.type = answer->type;
    read.format = answer->format;
    read.bytes.assign(static_cast<const char*>(xcb_get_property_value(answer.get())),
                      static_cast<std::size_t>(xcb_get_property_value_length(answer.get())));
    return read;
}

xcb_void_cookie_t setProperty(xcb_connection_t* connection, xcb_window_t window,
                              xcb_atom_t property, xcb_atom_t type, int format, std::uint32_t count,
                              const void* data) {
    return xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window, property, type,
                                       static_cast<std::uint8_t>(format), count, data);
}

xcb_void_cookie_t setProperty32(xcb_connection_t* connection, xcb_window_t window,
                                xcb_atom_t property, xcb_atom_t type, std::uint32_t value) {
    return setProperty(connection, window, property, type, 32, 1, &value);
}

xcb_void_cookie_t setString(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                            std::string_view text) {
    return setProperty(connection, window, property, XCB_ATOM_STRING, 8,
                       static_cast<std::uint32_t>(text.size()), text.data());
}

Reply<xcb_generic_error_t> check(xcb_connection_t* connection, xcb_void_cookie_t cookie) {
    return own(xcb_request_check(connection, cookie));
}

}  // namespace muralto::xcb
