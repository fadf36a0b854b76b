// Tests that make windows include this: they run on SDL's dummy video driver, so no window
// and no message box ever waits for a person, with or without a display.
#pragma once

#include <cstdlib>

namespace testsupport {
inline const bool headlessVideo = (setenv("SDL_VIDEODRIVER", "dummy", 1), true);
}  // namespace testsupport
