#include "platform/SystemInfo.h"

#include <pwd.h>
#include <sys/auxv.h>
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
    const auto path = std::filesystem::read_symlink(selfLink_, ec);
    if (!ec && path.is_absolute())
        return path.string();
    // Without /proc (a bare chroot), the name the program was started by: a relative one is
    // relative to the folder it was started in, which the program never leaves.
    const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    if (!started)
        return {};
    const auto real = std::filesystem::canonical(started, ec);
    return ec ? std::string() : real.string();
}

std::string LinuxSystemInfo::programDirectory() {
    return std::filesystem::path(executablePath()).parent_path().string();
}

std::string LinuxSystemInfo::programFileName() {
    return std::filesystem::path(executablePath()).filename().string();
}

}  // namespace muralto::platform
