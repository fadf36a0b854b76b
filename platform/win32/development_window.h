// KESTRIX_WINDOW=N, a window for development: a full-screen take-over shows the program in
// an ordinary window whose client area is the frame (320×240 unless the display set-up
// names another size) times N, and the screen the program sees (GetSystemMetrics) is that
// window, so that a window sized from it fits.
#pragma once

#include <string>

namespace platform {

// The frame the window is made for: 320×240 until the display set-up names the program's
// (a DirectDraw mode's size; the picture a Direct3D device's texture first receives).
void setWindowedFrame(int width, int height);
int windowedFrameWidth();
int windowedFrameHeight();

// The scale a setting asks for on a screen (work area) of the size given; 0 for full
// screen. Unset or empty: 0, quietly. Anything but a whole number from 1 up, or a screen
// smaller than the frame: 0, and `complaint` says why. A scale that does not fit: the
// largest that does, and `complaint` says so.
int windowScaleFor(const char* setting, int screenWidth, int screenHeight, std::string& complaint);

// The scale of KESTRIX_WINDOW on the primary display, read at each call; 0 for full screen
// (and when video cannot start). The first complaint is written once to standard error.
int windowScale();

}  // namespace platform
