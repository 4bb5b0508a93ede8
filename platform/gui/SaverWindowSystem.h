#pragma once

#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace muralto::platform {

/// What the screen saver needs of the X server beyond Qt. Window ids are X11 window ids; no
/// call trusts them: an id that names no window, or something other than a window, is
/// answered as "no such window" without an error reaching the program or its output.
/// The property that marks a preview window of this program.
inline constexpr const char* kPreviewProperty = "_MURALTO_PREVIEW";

class SaverWindowSystem {
public:
    virtual ~SaverWindowSystem() = default;

    /// The inside size of window (its border not counted), read from the X server, since Qt
    /// reports 0x0 for foreign windows; empty when there is no such window or no X server.
    virtual std::optional<QSize> windowSize(std::uint32_t window) = 0;

    /// The root window of the default screen; 0 without an X server.
    virtual std::uint32_t rootWindow() = 0;

    /// Marks window as this process's preview: this process's id as _NET_WM_PID, this
    /// machine's name as WM_CLIENT_MACHINE (which tells whose process ids these are; Qt sets
    /// both only on top-level windows), and kPreviewProperty. The next preview finds it by
    /// them. Nothing happens for a window that does not exist.
    virtual void markPreview(std::uint32_t window) = 0;

    /// Asks window to close, only when it is a preview (kPreviewProperty, one CARDINAL 1) of an
    /// earlier instance of this program on this machine: ids are reused, and the same id may
    /// now name the options window of the resident program. Its _NET_WM_PID (one CARDINAL) names a
    /// running process other than this one whose executable is this process's executable (the same
    /// file, or the same path when that file has since been replaced), and its WM_CLIENT_MACHINE,
    /// when set, is this machine's name. Another program's window, a stale id, a window without the
    /// property or with a malformed one, this process's own window and another user's process
    /// (whose executable cannot be read) are left alone.
    ///
    /// The request is what a window manager sends: a ClientMessage of type WM_PROTOCOLS,
    /// format 32, data [WM_DELETE_WINDOW, CurrentTime, 0, 0, 0], with an empty event mask, so
    /// the server delivers it to the client that created the window. Qt's xcb platform turns
    /// it into a QCloseEvent of the QWindow that owns the native window. True when the
    /// request was sent.
    virtual bool closeEarlierPreview(std::uint32_t window) = 0;
};

/// The X11 implementation on an xcb connection of its own, opened at the first call, to the
/// display displayName names (empty: $DISPLAY). Without an X server every call answers
/// "no such window" / 0 / false.
std::unique_ptr<SaverWindowSystem> makeSaverWindowSystem(std::string displayName = {});

/// Whether the process pid runs the same executable as this process, judged from
/// /proc/PID/exe; false when that cannot be read (no such process, another user's process).
/// procRoot names the proc file system (tests hand a folder of their own).
bool runsThisExecutable(long pid, const std::string& procRoot = "/proc");

}  // namespace muralto::platform
