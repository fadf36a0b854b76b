// The SDL video subsystem under the window layer: started on first need by the thread that
// then owns the windows and pumps their events, and held until the process ends.
#pragma once

#include <SDL.h>

namespace platform {

// Starts SDL video (and events) once; true while it runs. Fails soft: false without a
// display, and the next call tries again, unless the display named proved unusable (it
// stayed closed, or has fewer than 15 bits per pixel).
bool startVideo();
bool videoRunning();
// Whether the calling thread is the one that started video (only it may pump SDL events).
bool onVideoThread();
// Whether a person could see a window: video runs, or could, on a driver other than
// SDL's headless ones (dummy, offscreen), on a display not known to be unusable.
bool displayAvailable();
// The SDL event type that wakes a thread waiting for SDL events; 0 before video runs or
// when SDL had none left to give.
Uint32 wakeEventType();

}  // namespace platform
