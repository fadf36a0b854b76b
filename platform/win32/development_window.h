// KESTRIX_WINDOW=N, a window for development: a full-screen take-over shows the program in
// an ordinary window whose client area is the frame (320×240) times N, and the screen the
// program sees (GetSystemMetrics) is that window, so that a window sized from it fits.
#pragma once

#include <string>

namespace platform {

constexpr int windowedFrameWidth = 320;
constexpr int windowedFrameHeight = 240;

// The scale a setting asks for on a screen (work area) of the size given; 0 for full
// screen. Unset or empty: 0, quietly. Anything but a whole number from 1 up, or a screen
// smaller than the frame: 0, and `complaint` says why. A scale that does not fit: the
// largest that does, and `complaint` says so.
int windowScaleFor(const char* setting, int screenWidth, int screenHeight, std::string& complaint);

// The scale of KESTRIX_WINDOW on the primary display, read at each call; 0 for full screen
// (and when video cannot start). The first complaint is written once to standard error.
int windowScale();

}  // namespace platform
