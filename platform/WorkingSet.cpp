#include "platform/WorkingSet.h"

#include <sys/mman.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace muralto::platform {

namespace {

/// One mapping of the listing and what it says of its pages.
struct Mapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool unchangedFile = false;  ///< read-only, private, of a file
    long residentKb = 0;
    long changedKb = -1;  ///< its anonymous (copied on write) pages; -1 until listed
};

/// The header line of a mapping ("start-end perms offset dev inode path"), or nothing.
bool readHeader(const std::string& line, Mapping* mapping) {
    std::istringstream fields(line);
    std::string range, perms, offset, device, path;
    unsigned long inode = 0;
    if (!(fields >> range >> perms >> offset >> device >> inode) || perms.size() != 4)
        return false;
    const std::size_t dash = range.find('-');
    if (dash == std::string::npos)
        return false;
    fields >> path;
    mapping->start = std::strtoull(range.c_str(), nullptr, 16);
    mapping->end = std::strtoull(range.c_str() + dash + 1, nullptr, 16);
    mapping->unchangedFile = perms[0] == 'r' && perms[1] == '-' && perms[3] == 'p' && inode != 0 &&
                             path.starts_with('/');
    return true;
}

/// The kB of a field line ("Rss:   120 kB") when it is that field.
bool readField(const std::string& line, const char* field, long* kb) {
    const std::string name = std::string(field) + ":";
    if (!line.starts_with(name))
        return false;
    *kb = std::strtol(line.c_str() + name.size(), nullptr, 10);
    return true;
}

std::vector<Mapping> readMappings() {
    std::ifstream smaps("/proc/self/smaps");
    std::vector<Mapping> mappings;
    std::string line;
    while (std::getline(smaps, line)) {
        Mapping header;
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) &&
            line.find('-') < line.find(' ') && readHeader(line, &header)) {
            mappings.push_back(header);
        } else if (!mappings.empty()) {
            readField(line, "Rss", &mappings.back().residentKb);
            readField(line, "Anonymous", &mappings.back().changedKb);
        }
    }
    return mappings;
}

}  // namespace

std::size_t TrimWorkingSet() {
    std::size_t released = 0;
    for (const Mapping& mapping : readMappings()) {
        if (!mapping.unchangedFile || mapping.changedKb != 0 || mapping.residentKb <= 0)
            continue;
        void* start = reinterpret_cast<void*>(mapping.start);
        if (::madvise(start, mapping.end - mapping.start, MADV_DONTNEED) == 0)
            released += std::size_t(mapping.residentKb);
    }
    return released;
}

}  // namespace muralto::platform
