#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

/// groups-page FOLDER COUNT: writes a hive of COUNT newsgroup entries into FOLDER, reads the
/// hive as the settings' load does before any window is up ("read_ms: "), then loads the
/// entries ("load_ms: ") and lists them on the options window's newsgroups page, off screen
/// ("list_ms: "), on the user-interface thread as the start does once the window is up; prints
/// "blocked_ms: ", the load and the list together: how long the window cannot answer.
int groupsPageCommand(const Arguments& args);

}  // namespace muralto::bench
