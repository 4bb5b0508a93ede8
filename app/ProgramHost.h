#pragma once

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
    /// Tells the session whether a screen saver of ours runs.
    virtual void setScreenSaverRunning(bool running) = 0;
    virtual void showCursor(bool show) = 0;
    virtual void saveGroups() = 0;
    /// Leaves the event loop; no further events are handled.
    virtual void endProcess() = 0;
};

}  // namespace muralto::app
