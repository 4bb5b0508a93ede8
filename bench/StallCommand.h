#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

/// stall wallpaper|saver|stuck-mount FOLDER [SECONDS]: builds the real program in this process
/// as its main function does (its settings in a temporary hive asking no question, its
/// pictures taken from FOLDER, its bitmap written to a temporary program folder), starts a
/// 10 ms timer on the user-interface thread, then starts the program in the wallpaper or the
/// saver ("/s") mode and runs its event loop until 200 ms after the wallpaper's outcome or the
/// saver's frame arrives, or SECONDS (default 60) pass. stuck-mount is the wallpaper mode with
/// FOLDER on a mount that never answers: it always runs for SECONDS (default 5), and the
/// process ends at once after printing, whatever still waits on the mount. Needs a display.
/// Prints "stall_max_ms: " (the longest gap between the timer's timeouts, from before the
/// start), "main_ms: " (the time the start took), "outcome: " and "outcome_ms: ".
int stallCommand(const Arguments& args);

}  // namespace muralto::bench
