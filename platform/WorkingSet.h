#pragma once

namespace muralto::platform {

/// Lets go of the pages of the program's and its libraries' code and read-only data, so that
/// the idle program's resident set holds what it uses while idle rather than everything its
/// start-up and last update touched. The pages stay in the system's page cache and come back,
/// a minor fault each, when next used.
///
/// Other threads map and unmap files all the while (a plugin loaded for a picture's format,
/// a font let go), so only what cannot change under the call is let go: the read-only
/// segments of the objects the dynamic loader lists, looked at while its list is locked.
/// Those pages are never written (objects whose code is patched at load are left out), so
/// letting go of them loses nothing. Writable data, relocated read-only data, the heap and
/// every other mapping are left alone.
void TrimWorkingSet();

}  // namespace muralto::platform
