#pragma once

namespace muralto::platform {

/// Sorts out the blocks that this process has freed and gives unused memory back to the system.
/// A worker thread that has made and freed many small blocks (a sort of 100,000 names) calls it
/// before it ends: otherwise the next thread to take over its heap (the raster painter's helper
/// threads, say, while the window thread waits for them) pays for that clean-up first, which
/// showed as a stall of the window of up to 150 ms. Does nothing where the C library offers no
/// such call.
void TrimHeap();

}  // namespace muralto::platform
