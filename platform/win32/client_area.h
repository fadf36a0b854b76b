// Where a window's client area lies in its SDL window. A full-screen take-over shows a
// picture of its own size (a display mode, a device's back buffer) centred in the window,
// as a display in that mode would; the client coordinates of the pointer are then that
// picture's, as they are in the mode on Windows.
#pragma once

#include <windows.h>

#include <SDL.h>

#include "platform/win32/window_internal.h"  // ShownPicture

namespace platform {

// A picture of width × height on an output of outputWidth × outputHeight, centred: scaled
// by the largest whole factor that fits (at least 1), or as large as fits keeping its
// aspect.
SDL_Rect placeByWholeFactor(int outputWidth, int outputHeight, int width, int height);
SDL_Rect placeKeepingAspect(int outputWidth, int outputHeight, int width, int height);

// The client point under the point (x, y) of a window of windowWidth × windowHeight: in a
// shown picture, the picture's pixel there, kept inside the picture as the pointer stays
// inside a display mode; without one, the point itself.
POINT clientPointOf(const ShownPicture& picture, int windowWidth, int windowHeight, int x, int y);

}  // namespace platform
