// SDL's events turned into what Windows delivers: key presses, typed text and the mouse
// become posted messages; activation, minimising, restoring, size changes, the close button
// and the pointer entering a window become messages sent to the window procedure on the spot.
#pragma once

namespace platform {

// Passes on a termination request (platform/win32/termination.h), then handles every SDL
// event waiting; SDL's only on the video thread. True when a message was posted or sent.
bool pumpEvents();
// Video thread: sleeps until an SDL event arrives or a message is posted (at once when one
// is already waiting), at most sdlWaitLimitMs. True when a message is waiting or was sent.
bool waitForEvent();

}  // namespace platform
