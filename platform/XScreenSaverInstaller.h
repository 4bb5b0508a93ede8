#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ScreenSaverInstaller.h"

namespace muralto::platform {

/// Makes the program xscreensaver's saver: adds (or enables) an entry "PROGRAM -root" in the
/// user's ~/.xscreensaver, keeping every other line as it is, selects it with "mode: one", and
/// opens xscreensaver's settings window when it is installed. Does nothing where xscreensaver
/// is not in use (no ~/.xscreensaver and no xscreensaver program).
class XScreenSaverInstaller : public ScreenSaverInstaller {
public:
    struct Paths {
        std::filesystem::path userFile;     ///< ~/.xscreensaver
        std::filesystem::path appDefaults;  ///< xscreensaver's own defaults, for a first file
    };
    /// Starts a program detached; false when it cannot be started.
    using Launcher =
        std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;
    /// Finds a program on the PATH; empty when there is none.
    using Finder = std::function<std::string(const std::string& program)>;

    XScreenSaverInstaller(Paths paths, Finder finder, Launcher launcher);
    /// The installer for this user, with the real PATH and process launcher.
    static XScreenSaverInstaller forCurrentUser();

    void install(const std::string& programPath) override;

    /// The new text of a configuration (the user's, or xscreensaver's defaults when the user has
    /// none) with the program's entry enabled and selected.
    static std::string withProgramSelected(const std::string& configuration,
                                           const std::string& programPath);

private:
    Paths paths_;
    Finder finder_;
    Launcher launcher_;
};

}  // namespace muralto::platform
