// SDL's events turned into what Windows delivers: key presses become posted key messages;
// activation, minimising, restoring, the close button and the pointer entering a window
// become messages sent to the window procedure on the spot.
#pragma once

namespace platform {

// Handles every SDL event waiting. True when a message was posted or sent. Does nothing
// off the video thread.
bool pumpEvents();
// Video thread: sleeps until an SDL event arrives or a message is posted (at once when one
// is already waiting), at most sdlWaitLimitMs. True when a message is waiting or was sent.
bool waitForEvent();

}  // namespace platform
