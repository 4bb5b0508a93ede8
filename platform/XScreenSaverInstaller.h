#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ScreenSaverInstaller.h"

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

    /// The command of the program's entry: "PROGRAM -root", with a path that the shell or the
    /// daemon would read otherwise single-quoted behind the program's name in double quotes
    /// (a name first keeps a colon in the path from reading as a visual's name). Empty for a
    /// path that no entry can hold: empty, or with a backslash or a control character, which
    /// the daemon's file format reads as escapes and line ends.
    static std::optional<std::string> saverCommand(const std::string& programPath);

    /// The new text of a configuration (the user's, or xscreensaver's defaults when the user has
    /// none) with the program's entry enabled and selected; unchanged when saverCommand has
    /// no command for the path.
    static std::string withProgramSelected(const std::string& configuration,
                                           const std::string& programPath);

private:
    Paths paths_;
    Finder finder_;
    Launcher launcher_;
};

}  // namespace muralto::platform
