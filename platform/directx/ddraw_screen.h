// The screen of DirectDraw's exclusive mode: the mode's picture shown full screen on the
// cooperative window, scaled by the largest whole factor that fits, centred on black.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/directx/pixel_formats.h"
#include "platform/directx/window_screen.h"

namespace platform::directx {

class DirectDrawScreen {
 public:
  // Takes the window's framebuffer; flips keep to the frame pacer (frame_pacer.h).
  bool open(HWND window);
  void close();
  bool isOpen() const { return screen_.isOpen(); }

  // A picture of the mode's size; the window's client area from now on.
  void setMode(int width, int height);

  // Shows mode-sized pixels in the format (through palette at 8 bits) and records them
  // for screen capture; at the pacer's next tick, or at once where `wait` is false. False when
  // the display did not take them.
  bool show(const std::uint8_t* pixels, LONG pitch, ModeFormat format, const std::uint32_t* palette,
            bool wait = true);
  // Shows black only, as after a mode change.
  void blank();
  // When the last picture reached the screen (steady clock, ns).
  std::int64_t shownNs() const { return screen_.shownNs(); }

 private:
  bool showPicture(bool wait = true);

  WindowScreen screen_;
  HWND window_ = nullptr;
  std::vector<std::uint32_t> picture_;  // the mode's pixels as 0x00RRGGBB
  int width_ = 0;
  int height_ = 0;
  std::vector<int> columns_;  // the picture's column for each column of the screen's picture
};

}  // namespace platform::directx
