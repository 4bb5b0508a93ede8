#include "SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace muralto::platform {

std::optional<std::string> LinuxSystemInfo::userName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name) {
        return std::string(pw->pw_name);
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        if (const char* name = std::getenv(variable); name && *name)
            return std::string(name);
    }
    return std::nullopt;
}

std::string LinuxSystemInfo::executablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        path = std::filesystem::current_path(ec) / "muralto";
    return path.string();
}

std::string LinuxSystemInfo::programDirectory() {
    return std::filesystem::path(executablePath()).parent_path().string();
}

std::string LinuxSystemInfo::programFileName() {
    return std::filesystem::path(executablePath()).filename().string();
}

}  // namespace muralto::platform
