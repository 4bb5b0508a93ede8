#pragma once

#include <optional>
#include <string>

namespace muralto::platform {

/// Facts about the user and the program that the system provides.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    /// The logged-in user's name, or nothing when the system knows none.
    virtual std::optional<std::string> userName() = 0;
    /// The folder that holds the program's executable, without a trailing separator; empty
    /// when the system cannot tell it.
    virtual std::string programDirectory() = 0;
    /// The executable's file name without its folder.
    virtual std::string programFileName() = 0;
};

class LinuxSystemInfo : public SystemInfo {
public:
    /// selfLink names the link to the running executable (tests hand in a missing one). When
    /// it cannot be read, the path the program was started by is resolved instead; the
    /// working directory is never taken for the program's folder.
    explicit LinuxSystemInfo(std::string selfLink = "/proc/self/exe")
        : selfLink_(std::move(selfLink)) {}

    std::optional<std::string> userName() override;
    std::string programDirectory() override;
    std::string programFileName() override;

private:
    /// The executable's absolute path; empty when it cannot be found.
    std::string executablePath();

    std::string selfLink_;
};

}  // namespace muralto::platform
