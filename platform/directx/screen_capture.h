// For tests: the last screen image the layer presented, so a test can read the screen back.
// Direct3D: the back buffer's pixels just before Present shows them (before scaling to the
// window); DirectDraw: the front buffer after a flip, converted from the mode's pixel
// format (and palette) to RGB, at the mode's size. Off until a test turns it on, or from the
// start when the environment asks for each screen in a file (screen_file.h).
#pragma once

#include <cstdint>
#include <vector>

namespace platform::directx {

struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row-major, no gap between rows
  int presents = 0;                   // screens recorded since capture was turned on
};

// Turning capture on clears the image and the count.
void setScreenCapture(bool on);
bool screenCaptureOn();
const ScreenImage& capturedScreen();

// For the layer: the image to fill for a screen of width × height, or null while capture
// is off. The pixels are kept from one screen to the next, so no screen allocates after
// the first of its size.
ScreenImage* beginScreenCapture(int width, int height);
// For the layer: the image filled since beginScreenCapture is on the screen now.
void screenShown();

}  // namespace platform::directx
