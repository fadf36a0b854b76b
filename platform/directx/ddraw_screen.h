// The screen of DirectDraw's exclusive mode: the mode's picture shown full screen on the
// cooperative window, scaled by the largest whole factor that fits, centred on black.
#pragma once

#include <SDL.h>
#include <windows.h>

#include <cstdint>

#include "platform/directx/pixel_formats.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {

class DirectDrawScreen {
 public:
  DirectDrawScreen() = default;
  ~DirectDrawScreen() { close(); }
  DirectDrawScreen(const DirectDrawScreen&) = delete;
  DirectDrawScreen& operator=(const DirectDrawScreen&) = delete;

  // Takes the window's framebuffer; flips keep step with the display's refresh.
  bool open(HWND window);
  void close();
  bool isOpen() const { return renderer_ != nullptr; }

  // A picture of the mode's size; false when the renderer cannot make one.
  bool setMode(int width, int height);

  // Shows mode-sized pixels in the format (through palette at 8 bits) and records them
  // for screen capture.
  void show(const std::uint8_t* pixels, LONG pitch, ModeFormat format, const std::uint32_t* palette);
  // Shows black only, as after a mode change.
  void blank();

 private:
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* picture_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  RefreshPacer pacer_;
};

}  // namespace platform::directx
