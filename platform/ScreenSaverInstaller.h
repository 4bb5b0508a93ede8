#pragma once

#include <string>

namespace muralto::platform {

/// Makes the program the session's screen saver where the session runs a saver that can host
/// it; elsewhere does nothing.
class ScreenSaverInstaller {
public:
    virtual ~ScreenSaverInstaller() = default;
    virtual void install(const std::string& programPath) = 0;
};

}  // namespace muralto::platform
