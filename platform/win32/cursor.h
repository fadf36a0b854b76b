// The cursor set by SetCursor, put on the screen once video runs.
#pragma once

namespace platform {

// Shows the cursor last set (or hides it, for none) on the video thread; SetCursor calls
// it, and window creation calls it for a cursor set before video started.
void applyCursor();

}  // namespace platform
