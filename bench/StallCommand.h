#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

/// stall wallpaper|saver|stuck-mount FOLDER [SECONDS]: builds the real program in this process
/// as its main function does (its settings in a temporary hive asking no question, its
/// pictures taken from FOLDER, its bitmap written to a temporary program folder) and starts it:
/// with its options window ("/c", which makes no update at start) for wallpaper and
/// stuck-mount, as the saver ("/s") for saver, whose first frame it waits for. 200 ms later it
/// starts a 10 ms timer on the user-interface thread and one update, as "Update Wallpaper" or
/// the saver's timer does, and runs the event loop until 200 ms after the wallpaper's outcome
/// or the frame arrives, or SECONDS (default 60) pass. stuck-mount puts FOLDER on a mount that
/// never answers: it always runs for SECONDS (default 5) after the update's start, and the
/// process ends at once after printing, whatever still waits on the mount. Needs a display.
/// Prints "stall_max_ms: " (the longest gap between the timer's timeouts during the update),
/// "main_ms: " (the time the start took), "outcome: " and "outcome_ms: " (from the update's
/// start).
int stallCommand(const Arguments& args);

}  // namespace muralto::bench
