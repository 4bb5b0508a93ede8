#include "folders/MountTable.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

namespace muralto::imaging {
namespace {

/// Splits a line at blanks; mountinfo separates its fields by single blanks.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > start)
            result.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

/// Decodes the kernel's "\ooo" escapes of blanks, tabs, newlines and backslashes.
std::string unescape(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) &&
            isOctal(text[i + 2]) && isOctal(text[i + 3])) {
            result.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                               (text[i + 3] - '0')));
            i += 3;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

bool parseDevice(std::string_view text, dev_t& device) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    unsigned int major = 0;
    unsigned int minor = 0;
    const char* begin = text.data();
    const auto majorEnd = std::from_chars(begin, begin + colon, major);
    const auto minorEnd = std::from_chars(begin + colon + 1, begin + text.size(), minor);
    if (majorEnd.ptr != begin + colon || minorEnd.ptr != begin + text.size())
        return false;
    device = makedev(major, minor);
    return true;
}

/// One mountinfo line: "id parent major:minor root mountpoint options [optional...] - type
/// source superoptions".
bool parseLine(std::string_view line, Mount& mount) {
    const auto parts = fields(line);
    if (parts.size() < 7 || !parseDevice(parts[2], mount.device))
        return false;
    std::size_t separator = 6;
    while (separator < parts.size() && parts[separator] != "-")
        ++separator;
    if (separator + 1 >= parts.size())
        return false;
    mount.mountPoint = unescape(parts[4]);
    mount.fileSystemType = std::string(parts[separator + 1]);
    return !mount.mountPoint.empty() && mount.mountPoint.front() == '/';
}

/// Whether mountPoint is path itself or one of its parent folders.
bool holds(std::string_view mountPoint, std::string_view path) {
    if (mountPoint == "/")
        return true;
    if (path.substr(0, mountPoint.size()) != mountPoint)
        return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

}  // namespace

std::vector<Mount> ParseMountInfo(std::string_view text) {
    std::vector<Mount> table;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (Mount mount; parseLine(text.substr(start, end - start), mount)) {
            table.push_back(std::move(mount));
        }
        start = end + 1;
    }
    return table;
}

std::vector<Mount> ReadMountTable(const std::string& mountInfoPath) {
    std::ifstream in(mountInfoPath, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

bool IsPseudoFileSystemType(std::string_view type) {
    static constexpr std::array<std::string_view, 20> kPseudoTypes = {
        "proc",      "sysfs",       "devpts", "devtmpfs", "cgroup",    "cgroup2", "debugfs",
        "tracefs",   "securityfs",  "pstore", "bpf",      "configfs",  "fusectl", "mqueue",
        "hugetlbfs", "binfmt_misc", "nsfs",   "efivarfs", "selinuxfs", "autofs"};
    for (std::string_view pseudo : kPseudoTypes) {
        if (type == pseudo)
            return true;
    }
    return false;
}

const Mount* MountHolding(const std::vector<Mount>& table, std::string_view absolutePath) {
    if (absolutePath.empty() || absolutePath.front() != '/')
        return nullptr;
    const Mount* best = nullptr;
    for (const Mount& mount : table) {
        if (!holds(mount.mountPoint, absolutePath))
            continue;
        if (!best || mount.mountPoint.size() >= best->mountPoint.size())
            best = &mount;
    }
    return best;
}

std::vector<std::string> RealDriveMountPoints(const std::vector<Mount>& table) {
    std::map<std::string, bool> pseudoOnTop;  // mount point -> whether its top mount is pseudo
    for (const Mount& mount : table)
        pseudoOnTop[mount.mountPoint] = IsPseudoFileSystemType(mount.fileSystemType);
    std::vector<std::string> drives;
    for (const auto& entry : pseudoOnTop) {
        const std::string& point = entry.first;
        const bool insidePseudo =
            std::any_of(pseudoOnTop.begin(), pseudoOnTop.end(), [&](const auto& outer) {
                return outer.second && outer.first != point && holds(outer.first, point);
            });
        if (!entry.second && !insidePseudo)
            drives.push_back(point);
    }
    return drives;  // the map's order is the byte order
}

}  // namespace muralto::imaging
