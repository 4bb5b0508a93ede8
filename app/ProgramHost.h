#pragma once

#include "settings/RunMode.h"

namespace muralto::app {

/// What the running program asks of its windows and of the session; the Qt implementation
/// lives with the windows, tests record the calls.
class ProgramHost {
public:
    virtual ~ProgramHost() = default;

    virtual void removeTrayIcon() = 0;
    virtual void saveOptionsWindowPlacement() = 0;
    virtual void unloadOptionsWindow() = 0;
    virtual void unloadImageWindow() = 0;
    virtual void showCursor(bool show) = 0;
    /// Leaves the event loop; no further events are handled.
    virtual void endProcess() = 0;
};

/// What the image window reports to the running program.
class ImageWindowHost {
public:
    virtual ~ImageWindowHost() = default;

    virtual settings::RunMode runMode() const = 0;
    /// The mouse moved to (x, y), in the image window's pixels.
    virtual void Form_MouseMove(double x, double y) = 0;
    /// The image window is going away, by the program's hand or anyone else's.
    virtual void Form_Unload() = 0;
};

}  // namespace muralto::app
