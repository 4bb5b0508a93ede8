#pragma once

#include <cstddef>

namespace muralto::platform {

/// Lets go of the pages that the program maps unchanged from its files (the code and read-only
/// data of the program and its libraries), so that the idle program's resident set holds what
/// it uses while idle rather than everything its start-up and last update touched. The pages
/// stay in the system's page cache and come back, a minor fault each, when next used. Pages
/// the program changed (relocated data, the heap, stacks) and writable or shared mappings are
/// left alone: only a read-only private mapping of a file without a single changed page, as
/// /proc/self/smaps lists them, is let go. Returns the kB let go; nothing where the system
/// has no such listing.
std::size_t TrimWorkingSet();

}  // namespace muralto::platform
