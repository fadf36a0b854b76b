// The loss of the X connection under a running program. Xlib's own answer is exit(), whose
// handlers shut the display down over the dead connection, where Xlib waits without end.
// Once watched, a lost connection ends the process at once with code 1, after the run's
// figures (platform/stats) are written.
#pragma once

namespace platform {

// For the connection SDL's video opened; does nothing where there is no libX11.
void watchForLostDisplay();

}  // namespace platform
