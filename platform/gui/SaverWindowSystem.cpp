#include "platform/gui/SaverWindowSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/xcb/Xcb.h"

namespace muralto::platform {

namespace {

/// The link's target without the " (deleted)" the kernel appends once the file is gone.
std::string linkTarget(const std::string& link) {
    std::error_code ec;
    std::string target = std::filesystem::read_symlink(link, ec).string();
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted))
        target.resize(target.size() - kDeleted.size());
    return target;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

class X11SaverWindowSystem : public SaverWindowSystem {
public:
    explicit X11SaverWindowSystem(std::string displayName) : displayName_(std::move(displayName)) {}

    std::optional<QSize> windowSize(std::uint32_t window) override;
    std::uint32_t rootWindow() override;
    void markPreview(std::uint32_t window) override;
    bool closeEarlierPreview(std::uint32_t window) override;

private:
    /// The connection, opened at the first call; null when there is no usable X server.
    xcb_connection_t* connection();
    xcb_atom_t atom(const char* name);
    /// Whether window names an existing window (not a pixmap or another resource).
    bool isWindow(xcb_window_t window);
    /// Whether the window's _NET_WM_PID and WM_CLIENT_MACHINE name a running earlier
    /// instance of this program on this machine.
    bool ownedByEarlierInstance(xcb_window_t window);
    bool sendDeleteRequest(xcb_window_t window);

    std::string displayName_;
    std::unique_ptr<xcb::Connection> connection_;
    bool tried_ = false;
    xcb_window_t root_ = 0;
};

xcb_connection_t* X11SaverWindowSystem::connection() {
    if (!tried_) {
        tried_ = true;
        auto opened = std::make_unique<xcb::Connection>(displayName_);
        if (const xcb_screen_t* screen = opened->screen()) {
            root_ = screen->root;
            connection_ = std::move(opened);
        }
    }
    // A server that went away leaves a connection in error: answer as without one.
    return connection_ && connection_->ok() ? connection_->get() : nullptr;
}

xcb_atom_t X11SaverWindowSystem::atom(const char* name) {
    xcb_connection_t* c = connection();
    return c ? xcb::internAtom(c, name) : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool X11SaverWindowSystem::isWindow(xcb_window_t window) {
    xcb_connection_t* c = connection();
    if (!c || window == XCB_WINDOW_NONE)
        return false;
    return xcb::reply(c, xcb_get_window_attributes(c, window), xcb_get_window_attributes_reply) !=
           nullptr;
}

std::optional<QSize> X11SaverWindowSystem::windowSize(std::uint32_t window) {
    if (!isWindow(window))
        return std::nullopt;
    xcb_connection_t* c = connection();
    const auto reply = xcb::reply(c, xcb_get_geometry(c, window), xcb_get_geometry_reply);
    if (!reply)
        return std::nullopt;  // destroyed in between
    return QSize(reply->width, reply->height);
}

std::uint32_t X11SaverWindowSystem::rootWindow() {
    return connection() ? root_ : 0;
}

void X11SaverWindowSystem::markPreview(std::uint32_t window) {
    xcb_connection_t* c = connection();
    if (!c || window == XCB_WINDOW_NONE)
        return;
    const xcb_void_cookie_t cookies[] = {
        xcb::setProperty32(c, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                           static_cast<std::uint32_t>(getpid())),
        xcb::setString(c, window, XCB_ATOM_WM_CLIENT_MACHINE, hostName()),
        xcb::setProperty32(c, window, atom(kPreviewProperty), XCB_ATOM_CARDINAL, 1),
    };
    // Checked, so an id that names no window costs an error reply here, not noise elsewhere.
    for (const auto& cookie : cookies)
        xcb::check(c, cookie);
}

bool X11SaverWindowSystem::ownedByEarlierInstance(xcb_window_t window) {
    xcb_connection_t* c = connection();
    const auto preview = xcb::getProperty(c, window, atom(kPreviewProperty), XCB_ATOM_CARDINAL)
                             .single32(XCB_ATOM_CARDINAL);
    if (preview != 1u)
        return false;
    const auto pid = xcb::getProperty(c, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL)
                         .single32(XCB_ATOM_CARDINAL);
    if (!pid || *pid == 0 || *pid > static_cast<std::uint32_t>(INT_MAX) ||
        static_cast<pid_t>(*pid) == getpid()) {
        return false;
    }
    const std::string machine =
        xcb::getProperty(c, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING)
            .of(XCB_ATOM_STRING, 8);
    if (!machine.empty() && machine != hostName())
        return false;
    return runsThisExecutable(static_cast<long>(*pid));
}

bool X11SaverWindowSystem::sendDeleteRequest(xcb_window_t window) {
    xcb_connection_t* c = connection();
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    if (event.type == XCB_ATOM_NONE || event.data.data32[0] == XCB_ATOM_NONE)
        return false;
    return !xcb::check(c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&event)));
}

bool X11SaverWindowSystem::closeEarlierPreview(std::uint32_t window) {
    if (!isWindow(window) || window == root_)
        return false;
    return ownedByEarlierInstance(window) && sendDeleteRequest(window);
}

}  // namespace

bool runsThisExecutable(long pid, const std::string& procRoot) {
    const std::string other = procRoot + "/" + std::to_string(pid) + "/exe";
    const std::string self = procRoot + "/self/exe";
    struct stat otherFile {};
    struct stat selfFile {};
    if (stat(other.c_str(), &otherFile) != 0 || stat(self.c_str(), &selfFile) != 0)
        return false;
    if (otherFile.st_dev == selfFile.st_dev && otherFile.st_ino == selfFile.st_ino)
        return true;
    // The program was replaced (an upgrade) while the earlier instance ran: the same path.
    const std::string otherPath = linkTarget(other);
    return !otherPath.empty() && otherPath == linkTarget(self);
}

std::unique_ptr<SaverWindowSystem> makeSaverWindowSystem(std::string displayName) {
    return std::make_unique<X11SaverWindowSystem>(std::move(displayName));
}

}  // namespace muralto::platform
